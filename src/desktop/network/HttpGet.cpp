#include "desktop/network/HttpGet.h"

#include "desktop/ProgramModule.h"

#include <QTimer>

namespace httpmodule {

Loaded load(const QStringList& folders) {
    const programmodule::Entry entry =
        programmodule::open(folders, fileName, startSymbol, QStringLiteral("network"));
    return {reinterpret_cast<StartFunction>(entry.address), entry.error};
}

} // namespace httpmodule

namespace {

// Loaded once it worked; a failed load is tried again by the next request
// (a package installed meanwhile).
httpmodule::Loaded loadedModule() {
    static httpmodule::StartFunction kept = nullptr;
    if (kept)
        return {kept, {}};
    httpmodule::Loaded loaded = httpmodule::load(programmodule::folders());
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
