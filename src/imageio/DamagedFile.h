#pragma once

#include <QString>

// What a person is told about a file whose data a decoder could not make
// sense of. The decoder's own words ("No iloc box", "error 3") help only
// someone who knows the format: they go to standard error, for terminals.
namespace DamagedFile {

inline const QString reason = QStringLiteral("the file is damaged or incomplete");

// Prints "fennic: cannot read 'PATH': DETAIL" on standard error and answers reason.
QString report(const QString& path, const QString& detail);

} // namespace DamagedFile
