#include "imageio/decode/TiffPages.h"

#include "imageio/RegularFile.h"
#include "imageio/decode/TiffLibrary.h"

#include <QFile>

#include <cstdio>

namespace {

// libtiff reads through the file opened here: given a path it would open a
// FIFO and wait.
tmsize_t readFile(thandle_t handle, void* buffer, tmsize_t length) {
    return tmsize_t(static_cast<QFile*>(handle)->read(static_cast<char*>(buffer), length));
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekFile(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<QFile*>(handle);
    const qint64 base = whence == SEEK_CUR ? file->pos() : whence == SEEK_END ? file->size() : 0;
    if (offset > toff_t(file->size()) || !file->seek(base + qint64(offset)))
        return toff_t(-1);
    return toff_t(file->pos());
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfFile(thandle_t handle) {
    return toff_t(static_cast<QFile*>(handle)->size());
}

} // namespace

int tiffPageCount(const QString& path) {
    const TiffLibrary& api = libtiff();
    QFile file;
    QString error;
    if (!api.ok() || !RegularFile::open(file, path, &error))
        return 0;
    TIFF* tiff = api.TIFFClientOpen("image", "rm", &file, readFile, writeNothing, seekFile,
                                    closeNothing, sizeOfFile, nullptr, nullptr);
    if (!tiff)
        return 0;
    int pages = 0;
    do {
        uint32_t subfileType = 0;
        api.TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &subfileType);
        if (pages == 0 || !(subfileType & FILETYPE_REDUCEDIMAGE))
            ++pages;
    } while (api.TIFFReadDirectory(tiff)); // libtiff stops at a directory loop
    api.TIFFClose(tiff);
    return pages;
}
