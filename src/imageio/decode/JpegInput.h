#pragma once

#include <QFile>
#include <QtGlobal>

#include <cstdio>

#include <jpeglib.h>

// What libjpeg reads a file through, and how many scans it may gather.
namespace JpegInput {

// libjpeg's source for a file: blocks read with pread, so that a file cut
// short while it decodes ends early, with libjpeg's own warning, as a
// truncated file does. Set file, then useFile.
struct FileSource {
    jpeg_source_mgr mgr;
    const QFile* file = nullptr;
    qint64 at = 0;
    JOCTET buffer[64 * 1024];
};
void useFile(j_decompress_ptr cinfo, FileSource& source);

// Counts the scans of a progressive file while libjpeg gathers them, and the
// blocks they visit: each scan costs a pass over every block it covers, so a
// large image with many scans stalls as surely as thousands of small ones.
// Past DecodeLimits' scans or blocks, exceeded is set and the decode ends
// through the error handler.
struct ScanBudget {
    jpeg_progress_mgr mgr;
    int lastScan = 0;
    int scans = 0;
    qint64 blocks = 0;
    bool exceeded = false;
};
void watchScans(j_decompress_ptr cinfo, ScanBudget& budget);

} // namespace JpegInput
