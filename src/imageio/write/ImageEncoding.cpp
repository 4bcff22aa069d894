#include "imageio/write/ImageEncoding.h"

#include "imageio/write/BmpWithAlpha.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>

namespace {

QImage onWhite(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

bool isGray(const QImage& image) {
    return image.format() == QImage::Format_Grayscale8 ||
           image.format() == QImage::Format_Grayscale16;
}

// The pixels as the format's writer takes them without changing their meaning.
QImage preparedFor(ImageFileType type, const QImage& image) {
    if (type != ImageFileType::JPEG && type != ImageFileType::BMP)
        return image;
    // Neither format keeps alpha, nor more than 8 bits; gray stays gray (a gray
    // profile needs gray samples).
    if (image.hasAlphaChannel())
        return onWhite(image);
    if (isGray(image))
        return image.convertToFormat(QImage::Format_Grayscale8);
    if (type == ImageFileType::BMP &&
        (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono))
        return image; // a palette BMP stays one
    return image.convertToFormat(QImage::Format_RGB32);
}

// image's pixels without its colour space and texts, which Qt's writers would
// put into the file: the profile and texts go in as the metadata says. It
// refers to image's pixels, so image must outlive it.
QImage bareView(const QImage& image) {
    QImage bare(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                image.format());
    bare.setColorTable(image.colorTable());
    bare.setDotsPerMeterX(image.dotsPerMeterX());
    bare.setDotsPerMeterY(image.dotsPerMeterY());
    return bare;
}

// BMP holds no metadata and no profile: its pixels must be sRGB already.
bool writeBmpWithAlpha(const QString& path, const QImage& image, QString* error) {
    const QByteArray bytes = encodeBmpWithAlpha(image);
    if (bytes.isEmpty()) {
        *error = QStringLiteral("the picture is too large for a BMP file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        *error = QStringLiteral("the BMP file could not be written: %1").arg(file.errorString());
        return false;
    }
    return true;
}

// A file written without a buffer that keeps the first failed write's reason.
class WriteCheckedFile : public QFile {
public:
    using QFile::QFile;
    QString failure() const { return m_failure; }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        const qint64 written = QFile::writeData(data, length);
        if (written != length && m_failure.isEmpty())
            m_failure = errorString();
        return written;
    }

private:
    QString m_failure;
};

} // namespace

bool writeImageFile(const QString& path, const QImage& image, ImageFileType type,
                    const CarriedMetadata& metadata, const QByteArray& icc,
                    const EncodingOptions& options, QString* error) {
    const QByteArray format = qtWriterFormat(type);
    if (format.isEmpty()) {
        *error = QStringLiteral("Fennic cannot write %1 files").arg(fileTypeName(type));
        return false;
    }
    if (type == ImageFileType::BMP && options.bmpKeepsAlpha && hasTransparentPixels(image))
        return writeBmpWithAlpha(path, image, error);
    const QImage prepared = preparedFor(type, image);
    if (prepared.isNull()) {
        *error = QStringLiteral("not enough memory to encode %1 x %2 pixels")
                     .arg(image.width())
                     .arg(image.height());
        return false;
    }
    QImage bare = bareView(prepared);
    if (type == ImageFileType::PNG)
        for (const auto& [keyword, text] : metadata.pngTexts)
            bare.setText(keyword, text);
    // The writer is given a file that remembers a failed write: Qt's TIFF
    // encoder carries on after one, and a seek clears QFile's error.
    WriteCheckedFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    QImageWriter writer(&file, format);
    if (type == ImageFileType::JPEG)
        writer.setQuality(90);
    if (type == ImageFileType::TIFF)
        writer.setCompression(options.uncompressedTiff ? 0 : 1);
    const bool encoded = writer.write(bare);
    if (!file.failure().isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.failure());
        return false;
    }
    if (!encoded) {
        *error = QStringLiteral("the %1 encoder failed: %2")
                     .arg(fileTypeName(type), writer.errorString());
        return false;
    }
    file.close();
    // BMP holds no profile: its pixels must be sRGB already.
    return writeCarriedMetadata(path, type, metadata,
                                type == ImageFileType::BMP ? QByteArray() : icc, error);
}
