// Writes the image files that tests, benchmarks and the bundled samples need.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QMap>
#include <QSize>
#include <QString>

#include <optional>

namespace ImageFixtures {

// Metadata to embed in a fixture (through exiv2). Unset fields are not written.
// Every member has an initialiser, so designated initialisers may leave any out.
struct PhotoMetadata {
    std::optional<QString> dateTimeOriginal{}; // Exif layout, "2021:06:15 14:30:00"
    std::optional<QString> dateTimeDigitized{};
    std::optional<QString> tiffDateTime{};
    std::optional<int> iso{};
    std::optional<double> fNumber{};
    std::optional<double> shutterSpeedValue{}; // APEX Tv (signed rational)
    std::optional<double> exposureTime{};      // seconds
    std::optional<double> focalLength{};       // millimetres
    std::optional<int> focalLength35mm{};
    std::optional<QString> lensMake{};
    std::optional<QString> lensModel{};
    std::optional<QString> cameraMake{};
    std::optional<QString> cameraModel{};
    std::optional<QString> tiffCopyright{};
    std::optional<QString> iptcCopyright{};
    std::optional<double> latitude{};  // signed degrees: negative is south
    std::optional<double> longitude{}; // signed degrees: negative is west
    std::optional<double> altitude{};  // metres, negative below sea level
    std::optional<int> orientation{};  // Exif 1..8
    QByteArray iccProfile{};           // embedded as is when not empty
    QMap<QString, QString> xmp{};      // raw XMP properties, "Xmp.aux.Lens" -> text
    // Further tags (exposure bias, user comment, lens range, GPS time, ...)
    // and, in a JPEG, an Exif thumbnail.
    bool cameraExtras = false;
    bool operator==(const PhotoMetadata&) const = default;
};

// What a modern camera writes: every field above set (no ICC profile, no
// XMP) and cameraExtras on.
PhotoMetadata cameraMetadata();

// Image files. Pixels are written exactly as given (gray images as gray
// files, 16-bit images as 16-bit PNGs); false when anything fails.
bool writeJpeg(const QString& path, const QImage& image, const PhotoMetadata& metadata = {},
               int quality = 92);
bool writePng(const QString& path, const QImage& image, const PhotoMetadata& metadata = {});
bool writeTiff(const QString& path, const QImage& image, const PhotoMetadata& metadata = {});
// Adds metadata to an existing JPEG, PNG or TIFF file.
bool writeMetadata(const QString& path, const PhotoMetadata& metadata);
// flags: TurboJPEG's (TJFLAG_PROGRESSIVE, ...). A gray image stays gray.
QByteArray encodeJpeg(const QImage& image, int quality, int flags = 0);
// A 16 x 16 CMYK JPEG in four columns of inks: cyan, magenta, a dark olive
// and half black on white.
QByteArray cmykJpeg();

// Pictures. markedImage: white, with a red block in the top-left corner, a
// green one in the top-right corner and a blue one in the bottom-left one,
// each a quarter of the width and height, so any turn or mirror shows.
QImage markedImage(QSize size);
// The marks of a markedImage seen in the corners of a decoded picture: four of
// 'R', 'G', 'B', 'W' (nearest of red, green, blue, white) for the top-left,
// top-right, bottom-left and bottom-right corners. "RGBW" is upright.
QString markedCorners(const QImage& image);
// Camera-like content: soft gradients and shapes; noise adds sensor-like
// grain of the given amplitude (0..127).
QImage photoLikeImage(QSize size, int noise, quint32 seed = 1);
// One colour everywhere (a gray value for gray formats).
QImage filled(QSize size, const QColor& colour, QImage::Format format = QImage::Format_RGB32);
// Turned clockwise by quarter turns (negative: counter-clockwise) exactly,
// keeping the colour space, which Qt drops on some of its paths.
QImage turnedBy(const QImage& image, int quarterTurns);
// The largest difference of the red, green and blue values.
int colourDistance(QRgb a, QRgb b);

// Plain bytes, for broken and hostile files.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
QByteArray garbage(qsizetype bytes); // the same random bytes every time
// The bytes that differ between two files of the same size; -1 for sizes that differ.
int differingBytes(const QByteArray& a, const QByteArray& b);
void appendLittleEndian(QByteArray& out, quint64 value, int bytes);

// Camera-like JPEGs for benchmarks, 6000 x 4000 unless another size is given,
// with full camera metadata; the quality is searched so that the file lands
// near the size a camera writes (at 6000 x 4000 about 4 MB smooth, 9.5 MB
// noisy; in proportion to the pixel count at other sizes).
struct BenchmarkJpeg {
    QString path;
    qint64 bytes = 0;
    int quality = 0;
    bool ok() const { return bytes > 0; }
};
enum class Texture { Smooth, Noisy };
BenchmarkJpeg writeCameraJpeg(const QString& path, Texture texture, QSize size = QSize(6000, 4000));

} // namespace ImageFixtures
