#pragma once

#include <QByteArray>
#include <QString>

// Small files kept between starts in the user's cache folder
// (~/.cache/fennic): what one start found out, the next takes without
// asking again.
namespace CacheFile {

// Where the cache file called name lies.
QString path(const QString& name);

// Replaces the file at path whole, its folder made where missing: a start
// reading it meanwhile sees the old content or the new one, and a failed
// write leaves the old one.
void replace(const QString& path, const QByteArray& bytes);

} // namespace CacheFile
