#pragma once

#include <QFile>
#include <QString>

// Every image file is opened through here. A FIFO, device or socket named like
// an image would block open() or read() for ever (a FIFO with no writer), so
// anything that is not a regular file is refused, and the open itself never
// waits (O_NONBLOCK), even when the file is swapped for a FIFO after a check.
namespace RegularFile {

// Why path cannot be read as an image file, judged without opening it
// ("the file does not exist", "not a regular file", "the file is empty"), or
// empty when it can. For readers that open the file by name themselves.
QString problem(const QString& path);

// Opens path read-only into file when it is a regular file; otherwise false
// with a reason a person can read.
bool open(QFile& file, const QString& path, QString* error);

} // namespace RegularFile
