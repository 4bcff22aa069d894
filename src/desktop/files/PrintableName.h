#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The name as printed on one line of output (UTF-8): unchanged, unless it holds a
// control character, a backslash or bytes that are not UTF-8. Such a name is
// written with C-style escapes: \\, \n, \t, \r, and \xHH for each other such
// byte; printf '%b' gives the bytes back.
QByteArray printableName(QByteArrayView bytes);

// True when the name needs no escape: printable ASCII without a backslash.
bool printsAsItIs(QByteArrayView bytes);
