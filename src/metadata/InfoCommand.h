#pragma once

#include "map/GeoLocation.h"

#include <QByteArray>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>
#include <functional>
#include <optional>

// `fennic --info FILE...`: Fennic's reading of each photo as one compact
// JSON object per line, for scripts and other programs.

// One file's line without the newline: the attribute record (Width and
// Height as numbers, everything else as display text), "showLens",
// "showLocation" and, when the file gave a position, "latitude" and
// "longitude", and "Place" when `place` is not empty. UTF-8.
QByteArray infoLine(const QVariantMap& record, bool showLens, bool showLocation,
                    const std::optional<GeoLocation>& location, const QString& place = QString());

// Reads every file in turn, each into a fresh viewer state, and writes its
// line to `out`. A position is named offline, as the map names it. Returns
// 0 when every file was read as an image, else 1; an unreadable file still
// gets its line (with "Name" and both flags false), and `refused` hears why.
using InfoRefusal = std::function<void(const QString& path, const QString& reason)>;
int runInfoCommand(const QStringList& paths, QTextStream& out, const InfoRefusal& refused);
