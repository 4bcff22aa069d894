#pragma once

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <optional>
#include <sys/types.h>

// File paths as the kernel sees them: bytes, which need not be UTF-8, so
// that a name QString cannot carry still round-trips.
namespace NativePath {

// "/a/b" -> "/a", "b" -> "", "/b" -> "/".
QByteArray parentOf(const QByteArray& path);
QByteArray nameOf(const QByteArray& path);
QByteArray join(const QByteArray& folder, const QByteArray& name);

// The text of an errno value, for messages.
QString errorText(int error = errno);

// The whole content of a regular file of at most maxSize bytes.
std::optional<QByteArray> readSmallFile(const QByteArray& path, qsizetype maxSize);

} // namespace NativePath
