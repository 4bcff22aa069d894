#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Writes GIF and WebP files, still or animated, for tests: Qt has no GIF
// writer and its WebP writer makes still pictures only.

struct GifWebpFrame {
    QImage image;      // the whole canvas
    int delayMs = 100; // GIF keeps hundredths of a second
};

// One frame: a still GIF. All frames share one palette of their colours (at
// most 256, else false); the LZW data is written without compressing. canvas:
// the logical screen the header claims, or the first frame's size when invalid.
// loops: the loop count stored in the file (0: forever; GIF counts repeats
// after the first pass, WebP the passes).
bool writeGif(const QString& path, const QList<GifWebpFrame>& frames, QSize canvas = {},
              int loops = 0);

// A WebP of the frames, each coded losslessly by Qt's writer: one frame is a
// still picture, several an animation (ANMF chunks). An orientation puts an
// EXIF chunk holding it at the end, as writers place it.
struct WebpExif {
    int orientation = 0; // 0: no EXIF chunk
    bool bigEndian = false;
};
bool writeWebp(const QString& path, const QList<GifWebpFrame>& frames, int loops = 0,
               const WebpExif& exif = {});
