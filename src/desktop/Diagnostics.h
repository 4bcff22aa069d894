#pragma once

#include <QString>

// Developers' diagnostics: one line on standard output, flushed at once so
// that it keeps its place among the program's other output. Never shown to
// the user.
void printDiagnostic(const QString& line);
