#include "viewer/loading/EarlyDecode.h"

#include "FakeDecoder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// How the first window takes it is played in the loader's cases.
TEST(EarlyDecode, AFullResolutionDecodeServesAnyWindowOnceUnderAnyNameOfTheFile) {
    FakeDecoder fake;
    EarlyDecode whole("/photos/first.jpg", QSize(), fake.function());
    const std::optional<DecodedImage> image =
        whole.take("/photos/../photos/first.jpg", kScreen * 40);
    EXPECT_EQ(image.value_or(DecodedImage{}).image.size(), FakeDecoder::kFullSize);
    EXPECT_FALSE(whole.take("/photos/first.jpg", kScreen));
}

TEST(EarlyDecode, FindsTheFileOnTheCommandLine) {
    QTemporaryDir dir;
    QFile(dir.filePath("photo one.jpg")).open(QIODevice::WriteOnly);
    QDir::setCurrent(dir.path());
    QByteArray program = "fennic", option = "--verbose", missing = "missing.jpg", folder = ".",
               relative = "photo one.jpg";
    char* arguments[] = {program.data(), option.data(), missing.data(), folder.data(),
                         relative.data()};
    FakeDecoder fake;
    const auto screen = [] { return QSize(200, 150); };
    EXPECT_FALSE(EarlyDecode::startFromCommandLine(4, arguments, fake.function(), screen));
    const auto early = EarlyDecode::startFromCommandLine(5, arguments, fake.function(), screen);
    ASSERT_TRUE(early && early->take(early->path(), kScreen));
    EXPECT_EQ(fake.calls(),
              QStringList{QDir(dir.path()).absoluteFilePath("photo one.jpg@200x150")});
}
