#pragma once

#include <QString>

class QPagedPaintDevice;

// Prints the picture of the file at path (read again: what is printed is the
// file as it is now) on one page, upright and turned to the picture's
// orientation. False, with nothing printed and the reason given, when the
// file cannot be read or the printer cannot start.
bool printImageFile(QPagedPaintDevice& printer, const QString& path, QString* error = nullptr);
