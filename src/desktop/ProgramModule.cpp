#include "desktop/ProgramModule.h"

#include "desktop/DynamicLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

// From the program's bin folder to where cmake/DesktopIntegration.cmake
// installs the modules.
constexpr char installedRelativeFolder[] = "../lib/fennic";

} // namespace

namespace programmodule {

QStringList folders() {
    QStringList found;
    const QString chosen = qEnvironmentVariable("FENNIC_MODULE_DIR");
    if (!chosen.isEmpty())
        found << chosen;
    const QString program = QCoreApplication::applicationDirPath();
    if (!program.isEmpty())
        found << program
              << QDir::cleanPath(program + QLatin1Char('/') +
                                 QLatin1String(installedRelativeFolder));
    return found;
}

Entry open(const QStringList& folders, const char* fileName, const char* symbol,
           const QString& what) {
    Entry entry;
    QString looked;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QLatin1String(fileName));
        looked += (looked.isEmpty() ? QString() : QStringLiteral(", ")) + path;
        if (!QFileInfo(path).isFile())
            continue;
        void* handle = dynamiclibrary::open(QFile::encodeName(path).constData(), &entry.error);
        if (handle)
            entry.address = dynamiclibrary::symbol(handle, symbol, &entry.error);
        if (entry.address) {
            entry.error.clear();
            return entry;
        }
        dynamiclibrary::close(handle);
        return entry;
    }
    entry.error = QStringLiteral("the %1 module is not installed (looked for %2)")
                      .arg(what, looked.isEmpty() ? QLatin1String(fileName) : looked);
    return entry;
}

Entry entry(const char* fileName, const char* symbol, const QString& what) {
    static QHash<QByteArray, void*> kept;
    const QByteArray key = QByteArray(fileName) + '/' + symbol;
    if (void* address = kept.value(key))
        return {address, {}};
    Entry found = open(folders(), fileName, symbol, what);
    if (found.address)
        kept.insert(key, found.address);
    return found;
}

} // namespace programmodule
