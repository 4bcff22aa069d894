#include "viewer/loading/EarlyDecode.h"

#include "desktop/windowsystem/StartupScreen.h"

#include "FakeDecoder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QSize kScreen(100, 75);
const QSize kEarlyTarget(200, 150);
const QString kFirst = QStringLiteral("/photos/first.jpg");
} // namespace

TEST(EarlyDecode, FirstWindowTakesTheFinishedResultOnceOrWaitsForTheRunningDecode) {
    {
        LoaderRig rig;
        EarlyDecode early(kFirst, kEarlyTarget, rig.fake.function());
        ASSERT_TRUE(waitFor([&] { return early.isFinished(); }));
        rig.loader.offerEarlyDecode(&early);
        EXPECT_TRUE(rig.loader.show(kFirst, {}, kScreen));
        EXPECT_EQ(pathsOf(rig.shown), QStringList{kFirst});
        ASSERT_EQ(rig.fake.callCount(), 1);
        EXPECT_EQ(rig.fake.calls()[0].target, kEarlyTarget);
        EXPECT_FALSE(early.take(kFirst, kScreen));
    }
    LoaderRig rig(true);
    EarlyDecode early(kFirst, kEarlyTarget, rig.fake.function());
    FakeDecoder::GateOpener opener{rig.fake};
    ASSERT_TRUE(waitFor([&] { return rig.fake.callCount() == 1; }));
    rig.loader.offerEarlyDecode(&early);
    EXPECT_FALSE(rig.loader.show(kFirst, {"/photos/second.jpg"}, kScreen));
    // The user steps on and back before the start-up decode is done.
    rig.loader.show("/photos/second.jpg", {kFirst}, kScreen);
    rig.loader.show(kFirst, {"/photos/second.jpg"}, kScreen);
    rig.fake.openGate();
    ASSERT_TRUE(waitFor([&] { return rig.cache.hasDisplay("/photos/second.jpg", kScreen); }));
    ASSERT_TRUE(waitFor([&] { return !rig.shown.isEmpty(); }));
    EXPECT_EQ(pathsOf(rig.shown), QStringList{kFirst});
    EXPECT_EQ(rig.fake.callCount(kFirst), 1);
    EXPECT_TRUE(rig.cache.hasDisplay(kFirst, kScreen));
}

TEST(EarlyDecode, AnotherFileOrALargerWindowDropsTheResult) {
    FakeDecoder fake;
    {
        EarlyDecode early(kFirst, kEarlyTarget, fake.function());
        EXPECT_TRUE(early.serves("/photos/../photos/first.jpg", kScreen));
        EXPECT_FALSE(early.serves(kFirst, QSize(300, 150)));
        EXPECT_FALSE(early.take("/photos/other.jpg", kScreen));
        EXPECT_FALSE(early.take(kFirst, kScreen));
    }
    {
        LoaderRig rig;
        EarlyDecode early(kFirst, kEarlyTarget, rig.fake.function());
        rig.loader.offerEarlyDecode(&early);
        EXPECT_FALSE(rig.loader.show(kFirst, {}, QSize(400, 300)));
        ASSERT_TRUE(waitFor([&] { return !rig.shown.isEmpty(); }));
        EXPECT_EQ(rig.shown[0].image.image.size(), QSize(400, 300));
        EXPECT_FALSE(early.take(kFirst, kScreen));
    }
    // A full-resolution start-up decode serves any window.
    EarlyDecode whole(kFirst, QSize(), fake.function());
    std::optional<DecodedImage> image = whole.take(kFirst, QSize(4000, 3000));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image.size(), FakeDecoder::kFullSize);
}

TEST(EarlyDecode, FindsTheFileOnTheCommandLineAndItsTargetWithoutAnXServer) {
    QTemporaryDir dir;
    QFile(dir.filePath("photo one.jpg")).open(QIODevice::WriteOnly);
    const QString photo = QFileInfo(dir.filePath("photo one.jpg")).absoluteFilePath();
    QDir::setCurrent(dir.path());
    QByteArray program = "fennic", option = "--verbose", missing = "missing.jpg",
               relative = "photo one.jpg", folder = ".";
    char* withFile[] = {program.data(), option.data(), missing.data(), folder.data(),
                        relative.data()};
    char* withoutFile[] = {program.data(), option.data(), missing.data()};

    FakeDecoder fake;
    const auto screen = [] { return kEarlyTarget; };
    EXPECT_FALSE(EarlyDecode::startFromCommandLine(3, withoutFile, fake.function(), screen));
    std::unique_ptr<EarlyDecode> early =
        EarlyDecode::startFromCommandLine(5, withFile, fake.function(), screen);
    ASSERT_TRUE(early);
    EXPECT_TRUE(early->take(photo, kScreen));
    EXPECT_EQ(fake.calledPaths(), QStringList{photo});
    EXPECT_EQ(fake.calls().value(0).target, kEarlyTarget);

    const std::optional<QByteArray> display =
        qEnvironmentVariableIsSet("DISPLAY") ? std::optional(qgetenv("DISPLAY")) : std::nullopt;
    qunsetenv("DISPLAY");
    EXPECT_FALSE(x11ScreenSize().isValid());
    EXPECT_EQ(startupDecodeTarget(QSize(1920, 1080)), QSize(1920, 1080));
    qputenv("DISPLAY", ":4242.7"); // nothing listens there
    EXPECT_FALSE(x11ScreenSize().isValid());
    display ? qputenv("DISPLAY", *display) : qunsetenv("DISPLAY");
}

// Quitting right after start-up destroys the start-up decode while it may
// still run for seconds: the destructor returns at once.
TEST(EarlyDecode, DestroyingItDoesNotWaitForTheRunningDecode) {
    FakeDecoder fake;
    FakeDecoder::GateOpener opener{fake};
    fake.closeGate();
    auto early = std::make_unique<EarlyDecode>(kFirst, kEarlyTarget, fake.function());
    ASSERT_TRUE(waitFor([&] { return fake.callCount() == 1; }));

    EXPECT_FALSE(destroyingWaitsForTheDecode(fake, [&] { early.reset(); }));
}
