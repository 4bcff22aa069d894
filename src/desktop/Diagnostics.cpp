#include "desktop/Diagnostics.h"

#include <cstdio>

void printDiagnostic(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}
