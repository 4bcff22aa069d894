#include "support/ImageFixtures.h"

#include "support/HostileFixtures.h"

#include <QColorSpace>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numeric>
#include <vector>

namespace ImageFixtures {

namespace {

// exiv2 0.27 writes iCCP with an empty keyword, which libpng rejects; the
// chunk is put in by hand instead, right after IHDR.
bool insertIccChunk(const QString& path, const QByteArray& icc) {
    QByteArray png = readFile(path);
    const qsizetype afterHeader = 8 + 8 + 13 + 4; // signature, IHDR framing and data, CRC
    if (png.size() < afterHeader)
        return false;
    // Keyword, NUL, compression method 0, zlib data (qCompress adds 4 length bytes).
    const QByteArray chunk = HostileFixtures::pngChunk("iCCP", QByteArray("ICC profile\0\0", 13) +
                                                                   qCompress(icc).mid(4));
    return writeFile(path, png.insert(afterHeader, chunk));
}

bool writeWithQt(const QString& path, QImage image, const char* format,
                 const PhotoMetadata& metadata) {
    image.setColorSpace(QColorSpace()); // profiles go in as the metadata says
    if (!QImageWriter(path, format).write(image))
        return false;
    const bool png = qstrcmp(format, "png") == 0;
    PhotoMetadata rest = metadata;
    if (png)
        rest.iccProfile.clear();
    if (rest != PhotoMetadata() && !writeMetadata(path, rest))
        return false;
    return !png || metadata.iccProfile.isEmpty() || insertIccChunk(path, metadata.iccProfile);
}

// Cheap deterministic noise: xorshift32.
struct Noise {
    quint32 state;
    int next(int amplitude) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Sum of two uniforms: a triangular, grain-like distribution.
        const int a = int(state & 0xFFFF) % (amplitude + 1);
        const int b = int(state >> 16) % (amplitude + 1);
        return a - b;
    }
};

QByteArray compressed(const uchar* pixels, QSize size, int stride, int pixelFormat, int sampling,
                      int quality, int flags) {
    tjhandle handle = tjInitCompress();
    if (!handle)
        return {};
    unsigned char* jpeg = nullptr;
    unsigned long bytesOut = 0;
    const int status = tjCompress2(handle, pixels, size.width(), stride, size.height(), pixelFormat,
                                   &jpeg, &bytesOut, sampling, quality, flags);
    QByteArray bytes;
    if (status == 0)
        bytes = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(bytesOut));
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

} // namespace

QByteArray encodeJpeg(const QImage& image, int quality, int flags) {
    const bool gray = image.format() == QImage::Format_Grayscale8;
    const QImage source = gray ? image : image.convertToFormat(QImage::Format_RGB32);
    return compressed(source.constBits(), source.size(), int(source.bytesPerLine()),
                      gray ? TJPF_GRAY : TJPF_BGRX, gray ? TJSAMP_GRAY : TJSAMP_420, quality,
                      flags);
}

QByteArray cmykJpeg() {
    const uchar inks[4][4] = {
        {0, 255, 255, 255}, {255, 0, 255, 255}, {200, 200, 40, 255}, {255, 255, 255, 128}};
    QByteArray cmyk(16 * 16 * 4, '\0');
    for (int i = 0; i < 256; ++i)
        std::copy_n(inks[(i % 16) / 4], 4, reinterpret_cast<uchar*>(cmyk.data()) + i * 4);
    return compressed(reinterpret_cast<const uchar*>(cmyk.constData()), QSize(16, 16), 64,
                      TJPF_CMYK, TJSAMP_444, 100, 0);
}

bool writeJpeg(const QString& path, const QImage& image, const PhotoMetadata& metadata,
               int quality) {
    const QByteArray bytes = encodeJpeg(image, quality);
    if (bytes.isEmpty() || !writeFile(path, bytes))
        return false;
    return metadata == PhotoMetadata() || writeMetadata(path, metadata);
}

bool writePng(const QString& path, const QImage& image, const PhotoMetadata& metadata) {
    return writeWithQt(path, image, "png", metadata);
}

bool writeTiff(const QString& path, const QImage& image, const PhotoMetadata& metadata) {
    return writeWithQt(path, image, "tiff", metadata);
}

QImage markedImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int w = size.width() / 4, h = size.height() / 4;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, QColor(255, 0, 0));
    painter.fillRect(size.width() - w, 0, w, h, QColor(0, 255, 0));
    painter.fillRect(0, size.height() - h, w, h, QColor(0, 0, 255));
    return image;
}

QImage filled(QSize size, const QColor& colour, QImage::Format format) {
    QImage image(size, format);
    image.fill(colour);
    return image;
}

QImage turnedBy(const QImage& image, int quarterTurns) {
    QImage turned = image.transformed(QTransform().rotate(90.0 * (((quarterTurns % 4) + 4) % 4)));
    turned.setColorSpace(image.colorSpace());
    return turned;
}

int colourDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QString markedCorners(const QImage& image) {
    const QRgb marks[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    QString seen;
    for (const auto& [x, y] : {std::pair{1, 1}, {7, 1}, {1, 7}, {7, 7}}) {
        const QRgb c = image.pixel(image.width() * x / 8, image.height() * y / 8);
        const auto* nearest =
            std::min_element(std::begin(marks), std::end(marks), [&](QRgb a, QRgb b) {
                return colourDistance(c, a) < colourDistance(c, b);
            });
        seen += QLatin1Char("RGBW"[nearest - marks]);
    }
    return seen;
}

QImage photoLikeImage(QSize size, int noise, quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    // Separable soft structure: a sky-to-ground gradient and broad bands.
    std::vector<std::array<int, 3>> column(size_t(size.width())), row(size_t(size.height()));
    for (size_t x = 0; x < column.size(); ++x) {
        const double t = double(x) / size.width();
        column[x] = {int(40 * std::sin(t * 7.0)), int(30 * std::cos(t * 5.0)),
                     int(35 * std::sin(t * 3.0 + 1))};
    }
    for (size_t y = 0; y < row.size(); ++y) {
        const double t = double(y) / size.height();
        row[y] = {int(120 + 60 * t), int(140 - 30 * t + 20 * std::sin(t * 11)), int(190 - 120 * t)};
    }
    Noise grain{seed ? seed : 1};
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            int c[3];
            for (int k = 0; k < 3; ++k)
                c[k] =
                    qBound(0, row[y][k] + column[x][k] + (noise > 0 ? grain.next(noise) : 0), 255);
            line[x] = qRgb(c[0], c[1], c[2]);
        }
    }
    return image;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray garbage(qsizetype bytes) {
    QByteArray data(bytes, '\0');
    QRandomGenerator generator(42);
    for (char& c : data)
        c = char(generator.bounded(256));
    return data;
}

int differingBytes(const QByteArray& a, const QByteArray& b) {
    return a.size() != b.size() ? -1
                                : std::inner_product(a.begin(), a.end(), b.begin(), 0,
                                                     std::plus<>(), std::not_equal_to<>());
}

void appendLittleEndian(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
}

BenchmarkJpeg writeCameraJpeg(const QString& path, Texture texture, QSize size) {
    const bool noisy = texture == Texture::Noisy;
    const double share = double(size.width()) * size.height() / (6000.0 * 4000.0);
    const qint64 target = qint64((noisy ? 9'500'000 : 4'000'000) * share);
    const QImage image = photoLikeImage(size, noisy ? 23 : 3, noisy ? 7 : 3);
    // Size grows with quality: bisect for the quality closest to the target.
    int low = 30, high = 100;
    QByteArray best;
    int bestQuality = 0;
    while (low <= high) {
        const int quality = (low + high) / 2;
        const QByteArray bytes = encodeJpeg(image, quality);
        if (bytes.isEmpty())
            return {};
        if (best.isEmpty() || std::abs(bytes.size() - target) < std::abs(best.size() - target)) {
            best = bytes;
            bestQuality = quality;
        }
        if (bytes.size() < target)
            low = quality + 1;
        else
            high = quality - 1;
    }
    if (!writeFile(path, best) || !writeMetadata(path, cameraMetadata()))
        return {};
    return {path, QFile(path).size(), bestQuality};
}

} // namespace ImageFixtures
