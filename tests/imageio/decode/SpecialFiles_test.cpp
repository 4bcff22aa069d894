#include "imageio/ImageKind.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/decode/ImageHeader.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

#include "support/ChildProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs read on its own thread; false when it has not returned within a few
// seconds. A reader stuck opening the FIFO is then let go by opening the
// FIFO's writing end, so that the test ends either way.
bool returnsPromptly(const QString& fifo, std::function<void()> read) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([read, done] {
        read();
        done->set_value();
    }).detach();
    if (finished.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return true;
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    finished.wait();
    return false;
}

} // namespace

// A FIFO named like an image blocks whoever opens it for reading until a
// writer comes: every reader refuses it instead, and says why.
TEST(SpecialFiles, FifoNamedLikeAnImageIsRefusedWithoutBlocking) {
    const QString refused = QStringLiteral("not a regular file");
    const std::pair<const char*, std::function<void(const QString&)>> readers[] = {
        {"decodeImage", [&](auto f) { EXPECT_EQ(decodeImage(f, QSize(800, 600)).error, refused); }},
        {"sniffImageKind", [](auto f) { EXPECT_EQ(sniffImageKind(f), ImageKind::Unknown); }},
        {"readImageProperties", [](auto f) { EXPECT_TRUE(readImageProperties(f).isEmpty()); }},
        {"JpegDecoder", [&](auto f) { EXPECT_EQ(JpegDecoder::decode(f).error, refused); }},
        {"ImageHeaders::jpeg", [](auto f) { EXPECT_FALSE(ImageHeaders::jpeg(f).ok()); }},
        {"decodeHeif", [&](auto f) { EXPECT_EQ(decodeHeif(f).error, refused); }},
        {"readHeifMetadata", [&](auto f) { EXPECT_EQ(readHeifMetadata(f).error, refused); }},
        {"decodeRaw", [&](auto f) { EXPECT_EQ(decodeRaw(f).error, refused); }},
        {"readRawMetadata", [&](auto f) { EXPECT_EQ(readRawMetadata(f).error, refused); }},
        {"Exiv2Metadata", [](auto f) { EXPECT_FALSE(Exiv2Metadata::fromFile(f).read); }}};
    QTemporaryDir dir;
    for (const char* name : {"pipe.jpg", "pipe.png", "pipe.tiff", "pipe.heic", "pipe.dng"}) {
        const QString fifo = dir.filePath(QLatin1String(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        SCOPED_TRACE(name);
        // One reader blocked is enough to know: the others are not waited out.
        for (const auto& [what, read] : readers)
            ASSERT_TRUE(returnsPromptly(fifo, [&read, fifo] { read(fifo); }))
                << what << " blocked on a FIFO";
    }
}

// A picture the user may not read, in a folder they may list (devices and
// folders meet the FIFO's test, a missing file the --info run's).
TEST(SpecialFiles, AnUnreadableFileIsRefusedWithItsReason) {
    QTemporaryDir dir;
    const QString locked = dir.filePath("locked.png");
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(locked));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    // Root reads everything: read as nobody, as a person would.
    const ChildProcess::Outcome outcome = ChildProcess::run([&] {
        return ChildProcess::becomeNobody() ? decodeImage(locked).error : QStringLiteral("root");
    });
    EXPECT_EQ(outcome.text, "cannot open the file: Permission denied");
}
