#pragma once

#include <QByteArray>
#include <QString>

// The hidden ".NAME.XXXXXX" files that writes of NAME use where the file
// system has no unnamed files, and the clean-up of those that a killed or
// crashed write left behind.
namespace StaleTemporaries {

// ".NAME.": how every temporary for the file NAME begins.
QByteArray namePrefix(const QByteArray& targetName);
// ".NAME.XXXXXX" with six random letters and digits, as mkstemp makes them.
QByteArray randomName(const QByteArray& targetName);
// The NAME whose temporary fileName is, or empty when it is not one.
QByteArray targetOf(const QByteArray& fileName);

// Removes from folder the temporaries of writes that never ended: only
// ".NAME.XXXXXX" where NAME is in folder too, regular files of this user,
// unchanged for DecodeLimits::staleTemporarySeconds and not locked by a
// write still running. Returns how many it removed.
int removeIn(const QString& folder);

} // namespace StaleTemporaries
