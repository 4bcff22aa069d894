#include "metadata/SidebarContent.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Every line in order, "|" between them, "-" for an absent one; the
// exposure's parts "/"-separated.
std::string lines(const SidebarContent& c) {
    const auto line = [](const std::optional<QString>& text) { return text.value_or("-"); };
    const auto& e = c.exposure;
    QStringList all{c.name, line(c.dateTime), c.pixelSize, c.fileSize, c.extension};
    all << (e ? QStringList{e->iso, e->fStop, line(e->focalLength), line(e->shutter)}.join('/')
              : "-");
    all << line(c.lens) << line(c.lensModel) << line(c.colorProfile) << line(c.colorSpace)
        << line(c.copyright) << (c.hasColourLine() ? "colour" : "no colour");
    return all.join('|').toStdString();
}

} // namespace

TEST(SidebarContent, LinesFollowTheRecordsKeys) {
    // Only a name: header, 0 x 0 with the size, the type, and nothing else.
    EXPECT_EQ(lines(sidebarContent({{"Name", "IMG_1.jpeg"}}, true, "/p/IMG_1.jpeg", 2)),
              "IMG_1.jpeg|-|0 x 0|2 BYTES|JPEG|-|-|-|-|-|-|no colour");

    // An empty date is no date; ISO without focal length or shutter. The lens
    // needs both showLens and a "Lens" value.
    QVariantMap record{{"Name", "a.jpg"},   {"DateTime", ""},    {"Width", qint64(4032)},
                       {"Height", 3024},    {"ISO", "ISO 200"},  {"FStop", "ƒ2.8"},
                       {"Lens", "EF 50mm"}, {"Lens Model", "X"}, {"Color Space", "sRGB"}};
    EXPECT_EQ(lines(sidebarContent(record, false, "/p/a.b.png", 812'000)),
              "a.jpg|-|4032 x 3024|812 KB|PNG|ISO 200/ƒ2.8/-/-|-|X|-|sRGB|-|colour");
    EXPECT_EQ(sidebarContent(record, true, "/p/a.jpg", 1).lens, "EF 50mm");
    record.remove("Lens");
    EXPECT_FALSE(sidebarContent(record, true, "/p/a.jpg", 1).lens);

    // A key holding something other than text still shows its line, empty.
    EXPECT_EQ(lines(sidebarContent({{"Name", 7},
                                    {"ISO", 100},
                                    {"DateTime", "Mon"},
                                    {"FocalLength", "50 mm"},
                                    {"Shutter", "1/60"},
                                    {"Color Profile", "P3"},
                                    {"Copyright", 3}},
                                   false, "/p/b", 0)),
              "|Mon|0 x 0|0 BYTES||//50 mm/1/60|-|-|P3|-||colour");
}

TEST(SidebarContent, FileSizesInDecimalUnitsAndTheConversionTarget) {
    QStringList shown;
    for (quint64 bytes : {0ull, 1ull, 999ull, 1000ull, 1499ull, 1500ull, 999'499ull, 999'500ull,
                          2'000'000ull, 2'400'000ull, 999'949'999ull, 999'950'000ull,
                          2'345'000'000ull, 7'000'000'000'000ull, ~0ull})
        shown << formatFileSize(bytes, QLocale::c());
    EXPECT_EQ(shown, (QStringList{"0 BYTES", "1 BYTE", "999 BYTES", "1 KB", "1 KB", "2 KB",
                                  "999 KB", "1 MB", "2 MB", "2.4 MB", "999.9 MB", "1 GB", "2.35 GB",
                                  "7 TB", "18446.74 PB"}));
    EXPECT_EQ(formatFileSize(2'400'000, QLocale(QLocale::German)), "2,4 MB");

    // The first of jpg, png, bmp that differs from the extension, case and all.
    QStringList targets;
    for (const char* path : {"/p/photo.jpg", "/p/photo.png", "/p/photo.JPG", "/p.jpg/noextension"})
        targets << preselectedExtension(path);
    EXPECT_EQ(targets, (QStringList{"png", "jpg", "jpg", "jpg"}));
}
