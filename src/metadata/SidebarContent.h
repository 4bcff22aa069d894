#pragma once

#include <QLocale>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>
#include <optional>

// What the details sidebar shows for one attribute record, line by line.
// A line that the record does not call for is absent (std::nullopt); the
// texts are final, the sidebar only lays them out.
struct SidebarContent {
    struct Exposure {
        QString iso;
        QString fStop;
        std::optional<QString> focalLength;
        std::optional<QString> shutter;
    };

    QString name;
    std::optional<QString> dateTime; // absent when empty
    QString pixelSize;               // "4032 x 3024"; "0 x 0" without a size
    QString fileSize;                // "2.4 MB"
    QString extension;               // "JPG"
    std::optional<Exposure> exposure;
    std::optional<QString> lens;
    std::optional<QString> lensModel;
    std::optional<QString> colorProfile;
    std::optional<QString> colorSpace;
    std::optional<QString> copyright;

    bool hasColourLine() const { return colorProfile || colorSpace; }
};

// The lines for a record of the file at filePath whose size is fileSize
// bytes. showLens: the record's lens may be shown.
SidebarContent sidebarContent(const QVariantMap& record, bool showLens, const QString& filePath,
                              quint64 fileSize);

// A size in decimal units, upper case, as file managers count it:
// "0 BYTES", "1 BYTE", "999 BYTES", "1 KB" ... "999 KB", "1.2 MB", "2.35 GB".
// Kilobytes are whole, megabytes have one decimal, larger units two; a value
// that rounds up to the next unit is shown in that unit ("1 MB", never "1000 KB").
QString formatFileSize(quint64 bytes, const QLocale& locale = QLocale());

// The conversion target offered for a file: the first of "jpg", "png",
// "bmp" that differs from the file's extension (case matters: "photo.JPG"
// still gives "jpg").
QString preselectedExtension(const QString& filePath);
