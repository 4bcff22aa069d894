#include "desktop/network/HttpGet.h"

#include "desktop/DynamicLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {

// From the program's bin folder to where cmake/DesktopIntegration.cmake
// installs the module.
constexpr char installedRelativeFolder[] = "../lib/fennic";

} // namespace

namespace httpmodule {

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

Loaded load(const QStringList& folders) {
    Loaded loaded;
    QString looked;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QLatin1String(fileName));
        looked += (looked.isEmpty() ? QString() : QStringLiteral(", ")) + path;
        if (!QFileInfo(path).isFile())
            continue;
        void* handle = dynamiclibrary::open(QFile::encodeName(path).constData(), &loaded.error);
        if (handle && dynamiclibrary::resolve(handle, startSymbol, loaded.start, &loaded.error)) {
            loaded.error.clear();
            return loaded;
        }
        dynamiclibrary::close(handle);
        loaded.start = nullptr;
        return loaded;
    }
    loaded.error = QStringLiteral("the network module is not installed (looked for %1)")
                       .arg(looked.isEmpty() ? QLatin1String(fileName) : looked);
    return loaded;
}

} // namespace httpmodule

namespace {

// Loaded once it worked; a failed load is tried again by the next request
// (a package installed meanwhile).
httpmodule::Loaded loadedModule() {
    static httpmodule::StartFunction kept = nullptr;
    if (kept)
        return {kept, {}};
    httpmodule::Loaded loaded = httpmodule::load(httpmodule::folders());
    kept = loaded.start;
    return loaded;
}

} // namespace

QObject* startHttpGet(const HttpRequest& request, QObject* owner, HttpDone done) {
    const httpmodule::Loaded module = loadedModule();
    if (module.start)
        return module.start(request, owner, std::move(done));
    // Answered later, as the network would be.
    auto* failed = new QObject(owner);
    QTimer::singleShot(0, failed, [failed, error = module.error, done = std::move(done)] {
        HttpAnswer answer;
        answer.error = error;
        done(answer);
        failed->deleteLater();
    });
    return failed;
}
