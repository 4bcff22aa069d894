#pragma once

#include "imageio/write/AtomicWrite.h"

#include <QString>

// Turns the picture of a raw file by quarterTurns x 90 degrees clockwise
// (negative: counter-clockwise) by changing its orientation tag, combined
// with the one it had, through exiv2. Only raw files with a plain TIFF
// signature (DNG, ARW, CR2, DCR, NEF, NRW, PEF, SRW, KDC, 3FR, ERF, MOS)
// whose orientation tag exiv2 can change in place are written, and the
// written file must differ from the old one in that tag alone. Any other
// file (CR3, CRW, RAF, X3F, MRW, and ORF and RW2 with signatures of their
// own) is left untouched and the result says why, in words the viewer shows
// to the user.
FileWriteResult rotateRawFile(const QString& path, int quarterTurns);
