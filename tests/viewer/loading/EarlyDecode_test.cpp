#include "viewer/loading/EarlyDecode.h"

#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/loading/ImageLoader.h"
#include "viewer/loading/StartupScreen.h"

#include "FakeDecoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QSize kScreen(100, 75);
const QSize kEarlyTarget(200, 150);

QString touch(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    return QFileInfo(file).absoluteFilePath();
}

int countShown(ImageLoader& loader, QList<QString>& shown) {
    QObject::connect(&loader, &ImageLoader::imageReady, &loader,
                     [&shown](const QString& path, const DecodedImage&) { shown << path; });
    return 0;
}

} // namespace

TEST(EarlyDecode, FirstWindowTakesTheFinishedResultOnce) {
    FakeDecoder fake;
    EarlyDecode early("/photos/first.jpg", kEarlyTarget, fake.function());
    DecodeScheduler scheduler(fake.function());
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    QList<QString> shown;
    countShown(loader, shown);
    ASSERT_TRUE(waitFor([&] { return early.isFinished(); }));

    loader.offerEarlyDecode(&early);
    EXPECT_TRUE(loader.show("/photos/first.jpg", {}, kScreen));
    EXPECT_EQ(shown, QList<QString>({"/photos/first.jpg"}));
    EXPECT_EQ(fake.callCount("/photos/first.jpg"), 1);
    EXPECT_EQ(fake.calls()[0].target, kEarlyTarget);
    EXPECT_FALSE(early.take("/photos/first.jpg", kScreen));
}

TEST(EarlyDecode, WindowWaitsForARunningDecodeWithoutDecodingAgain) {
    FakeDecoder fake;
    fake.closeGate();
    FakeDecoder::GateOpener opener{fake};
    EarlyDecode early("/photos/first.jpg", kEarlyTarget, fake.function());
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));
    DecodeScheduler scheduler(fake.function());
    ImageCache cache;
    ImageLoader loader(scheduler, cache);
    QList<QString> shown;
    countShown(loader, shown);

    loader.offerEarlyDecode(&early);
    EXPECT_FALSE(loader.show("/photos/first.jpg", {"/photos/second.jpg"}, kScreen));
    // The user steps on and back before the start-up decode is done.
    loader.show("/photos/second.jpg", {"/photos/first.jpg"}, kScreen);
    loader.show("/photos/first.jpg", {"/photos/second.jpg"}, kScreen);
    fake.openGate();
    ASSERT_TRUE(waitFor([&] { return !shown.isEmpty(); }));
    ASSERT_TRUE(waitFor([&] { return cache.hasDisplay("/photos/second.jpg", kScreen); }));
    EXPECT_EQ(shown, QList<QString>({"/photos/first.jpg"}));
    EXPECT_EQ(fake.callCount("/photos/first.jpg"), 1);
    EXPECT_TRUE(cache.hasDisplay("/photos/first.jpg", kScreen));
}

TEST(EarlyDecode, AnotherFileOrALargerWindowDropsTheResult) {
    FakeDecoder fake;
    {
        EarlyDecode early("/photos/first.jpg", kEarlyTarget, fake.function());
        EXPECT_TRUE(early.serves("/photos/../photos/first.jpg", kScreen));
        EXPECT_FALSE(early.serves("/photos/first.jpg", QSize(300, 150)));
        EXPECT_FALSE(early.take("/photos/other.jpg", kScreen));
        EXPECT_FALSE(early.take("/photos/first.jpg", kScreen));
    }
    {
        EarlyDecode early("/photos/first.jpg", kEarlyTarget, fake.function());
        DecodeScheduler scheduler(fake.function());
        ImageCache cache;
        ImageLoader loader(scheduler, cache);
        QList<QString> shown;
        countShown(loader, shown);
        loader.offerEarlyDecode(&early);
        EXPECT_FALSE(loader.show("/photos/first.jpg", {}, QSize(400, 300)));
        ASSERT_TRUE(waitFor([&] { return !shown.isEmpty(); }));
        EXPECT_FALSE(early.take("/photos/first.jpg", kScreen));
        const QList<FakeDecoder::Call> calls = fake.calls();
        EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const FakeDecoder::Call& call) {
            return call.target == QSize(400, 300);
        }));
    }
    // A full-resolution start-up decode serves any window.
    EarlyDecode whole("/photos/first.jpg", QSize(), fake.function());
    std::optional<DecodedImage> image = whole.take("/photos/first.jpg", QSize(4000, 3000));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image.size(), FakeDecoder::kFullSize);
}

TEST(EarlyDecode, FindsTheFileOnTheCommandLine) {
    QTemporaryDir dir;
    const QString photo = touch(dir, "photo one.jpg");
    QDir::setCurrent(dir.path());
    QByteArray program = "fennic", option = "--verbose", missing = "missing.jpg",
               relative = "photo one.jpg", folder = ".";
    char* withFile[] = {program.data(), option.data(), missing.data(), folder.data(),
                        relative.data()};
    EXPECT_EQ(EarlyDecode::fileFromCommandLine(5, withFile), photo);
    char* withoutFile[] = {program.data(), option.data(), missing.data()};
    EXPECT_TRUE(EarlyDecode::fileFromCommandLine(3, withoutFile).isEmpty());

    FakeDecoder fake;
    const auto screen = [] { return kEarlyTarget; };
    EXPECT_FALSE(EarlyDecode::startFromCommandLine(3, withoutFile, fake.function(), screen));
    std::unique_ptr<EarlyDecode> early =
        EarlyDecode::startFromCommandLine(5, withFile, fake.function(), screen);
    ASSERT_TRUE(early);
    EXPECT_EQ(early->target(), kEarlyTarget);
    EXPECT_TRUE(early->take(photo, kScreen));
    ASSERT_EQ(fake.calls().size(), 1);
    EXPECT_EQ(fake.calls()[0].path, photo);
    EXPECT_EQ(fake.calls()[0].target, kEarlyTarget);
}

TEST(EarlyDecode, StartupTargetFallsBackWithoutAnXServer) {
    const QByteArray display = qgetenv("DISPLAY");
    const bool hadDisplay = qEnvironmentVariableIsSet("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(x11ScreenSize().isValid());
    EXPECT_EQ(startupDecodeTarget(QSize(1920, 1080)), QSize(1920, 1080));
    qputenv("DISPLAY", ":4242.7"); // nothing listens there
    EXPECT_FALSE(x11ScreenSize().isValid());
    if (hadDisplay)
        qputenv("DISPLAY", display);
    else
        qunsetenv("DISPLAY");
}
