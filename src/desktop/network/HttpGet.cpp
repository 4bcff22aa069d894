#include "desktop/network/HttpGet.h"

#include "desktop/ProgramModule.h"

#include <QTimer>

QObject* startHttpGet(const HttpRequest& request, QObject* owner, HttpDone done) {
    const programmodule::Entry module = programmodule::entry(
        httpmodule::fileName, httpmodule::startSymbol, QStringLiteral("network"));
    if (module.address)
        return reinterpret_cast<httpmodule::StartFunction>(module.address)(request, owner,
                                                                           std::move(done));
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
