#pragma once

#include <QSize>
#include <QtGlobal>

// The picture size a HEIF item's decoder configuration declares: the size
// the decoder allocates, whatever the item's extent ('ispe') says.
namespace heifcoded {

// From the content of an 'hvcC' box: the luma size of its first sequence
// parameter set, before the conformance window crops it. Invalid when there
// is none or it cannot be read.
QSize hevcPictureSize(const uchar* data, qint64 size);

// From AV1 open bitstream units (an 'av1C' box's, after its four bytes, or
// an item's coded data): the largest frame their sequence header allows.
// Invalid when they carry no sequence header or it cannot be read.
QSize av1PictureSize(const uchar* data, qint64 size);

} // namespace heifcoded
