#include "imageio/ImageKind.h"
#include "imageio/decode/ImageDecoder.h"
#include "imageio/decode/ImageHeader.h"
#include "imageio/decode/JpegDecoder.h"
#include "imageio/heif/HeifImage.h"
#include "imageio/metadata/Exiv2Metadata.h"
#include "imageio/metadata/ImageProperties.h"
#include "imageio/raw/RawImage.h"

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

// Runs read on its own thread and fails when it has not returned within a few
// seconds. A reader stuck opening the FIFO is then let go by opening the
// FIFO's writing end, so that the test ends either way.
void expectReturnsPromptly(const QString& fifo, const char* what, std::function<void()> read) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([read, done] {
        read();
        done->set_value();
    }).detach();
    if (finished.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return;
    ADD_FAILURE() << what << " blocked on a FIFO";
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
    finished.wait();
}

} // namespace

// A FIFO named like an image blocks whoever opens it for reading until a
// writer comes: every reader refuses it instead, and says why.
TEST(SpecialFiles, FifoNamedLikeAnImageIsRefusedWithoutBlocking) {
    QTemporaryDir dir;
    for (const char* name : {"pipe.jpg", "pipe.png", "pipe.tiff", "pipe.heic", "pipe.dng"}) {
        const QString fifo = dir.filePath(QLatin1String(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        SCOPED_TRACE(name);
        expectReturnsPromptly(fifo, "decodeImage", [fifo] {
            const DecodedImage decoded = decodeImage(fifo, QSize(800, 600));
            EXPECT_FALSE(decoded.ok());
            EXPECT_EQ(decoded.error, "not a regular file");
        });
        expectReturnsPromptly(fifo, "sniffImageKind",
                              [fifo] { EXPECT_EQ(sniffImageKind(fifo), ImageKind::Unknown); });
        expectReturnsPromptly(fifo, "readImageProperties",
                              [fifo] { EXPECT_TRUE(readImageProperties(fifo).isEmpty()); });
        expectReturnsPromptly(fifo, "JpegDecoder", [fifo] {
            EXPECT_EQ(JpegDecoder::decode(fifo).error, "not a regular file");
        });
        expectReturnsPromptly(fifo, "ImageHeaders::jpeg",
                              [fifo] { EXPECT_FALSE(ImageHeaders::jpeg(fifo).ok()); });
        expectReturnsPromptly(fifo, "decodeHeif",
                              [fifo] { EXPECT_EQ(decodeHeif(fifo).error, "not a regular file"); });
        expectReturnsPromptly(fifo, "readHeifMetadata", [fifo] {
            EXPECT_EQ(readHeifMetadata(fifo).error, "not a regular file");
        });
        expectReturnsPromptly(fifo, "decodeRaw",
                              [fifo] { EXPECT_EQ(decodeRaw(fifo).error, "not a regular file"); });
        expectReturnsPromptly(fifo, "readRawMetadata", [fifo] {
            EXPECT_EQ(readRawMetadata(fifo).error, "not a regular file");
        });
        expectReturnsPromptly(fifo, "Exiv2Metadata",
                              [fifo] { EXPECT_FALSE(Exiv2Metadata::fromFile(fifo).read); });
    }
}

// A device is no image either, and reading one could go on for ever.
TEST(SpecialFiles, DevicesAndFoldersAreRefused) {
    EXPECT_EQ(decodeImage(QStringLiteral("/dev/zero")).error, "not a regular file");
    EXPECT_EQ(JpegDecoder::decode(QStringLiteral("/dev/zero")).error, "not a regular file");
    QTemporaryDir dir;
    EXPECT_EQ(decodeImage(dir.path()).error, "not a regular file");
    EXPECT_EQ(decodeImage(dir.filePath("missing.jpg")).error, "the file does not exist");
}
