#include "imageio/DamagedFile.h"

#include "desktop/files/PrintableName.h"

#include <cstdio>

namespace DamagedFile {

QString report(const QString& path, const QString& detail) {
    std::fprintf(stderr, "fennic: cannot read '%s': %s\n", printableName(path.toUtf8()).constData(),
                 qUtf8Printable(detail));
    return reason;
}

} // namespace DamagedFile
