#pragma once

#include <QByteArray>
#include <QString>

// Puts an ICC profile into a PNG file as its iCCP chunk, right after IHDR.
// exiv2 0.27 writes this chunk with an empty keyword, which libpng and Qt
// reject, so profiles go into PNG files through here. The file must not hold
// an iCCP chunk yet; false with a reason when it is not a PNG file.
bool insertPngIccChunk(const QString& path, const QByteArray& icc, QString* error);
