#pragma once

#include "map/GeoLocation.h"

#include <QPalette>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

class QPainter;

// The parts of the location map drawn over and under the tiles.
namespace MapDrawing {

// What shows where no tile is (yet): a soft neutral ground with a faint
// line at every whole degree, so a map without network looks calm, not
// broken.
void drawBackdrop(QPainter& painter, const GeoLocation& center, int zoom, const QSizeF& panel);

// A photo pin centred on `point`: a translucent blue ring round a blue disc
// holding a white camera.
void drawPin(QPainter& painter, const QPointF& point);

// The tile licence notice, in the top-trailing corner, clear of the place
// name along the bottom.
void drawAttribution(QPainter& painter, const QRect& panel);
QString attributionText();

// The place name strip along the bottom edge, full width, in the window's
// colour.
void drawAddressStrip(QPainter& painter, const QRect& panel, const QString& text,
                      const QPalette& palette);
int addressStripHeight();

} // namespace MapDrawing
