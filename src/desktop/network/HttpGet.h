#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// One HTTP or HTTPS GET. QtNetwork and what it links (Kerberos, libproxy)
// live in a module, fennic-network.so, opened with the first request
// (desktop/ProgramModule.h).

struct HttpRequest {
    QUrl url;
    QByteArray userAgent;
    // A larger body ends the transfer: tooLarge, and no body.
    qint64 maximumBytes = 0;
    // The whole transfer, connecting included; 0: no limit.
    int timeoutMs = 0;
    int maximumRedirects = 3;
};

struct HttpAnswer {
    int status = 0; // the HTTP status; 0 when none came
    QString reason; // the server's reason phrase
    // What the network stack says went wrong (an unreachable host, an
    // error status too); empty when nothing did. The body is read only then.
    QString error;
    bool tooLarge = false;
    bool timedOut = false;
    QByteArray body;
};

using HttpDone = std::function<void(const HttpAnswer&)>;

// Starts a GET. done is called once, on this thread, after this returns;
// it must not delete the transfer, which deletes itself after it. The
// transfer is a child of owner: deleting it (or owner) first ends the
// transfer, and done is not called. Requests must be made on the main
// thread.
QObject* startHttpGet(const HttpRequest& request, QObject* owner, HttpDone done);

namespace httpmodule {

// What the module exports, under startSymbol: the same contract as
// startHttpGet.
using StartFunction = QObject* (*)(const HttpRequest&, QObject* owner, HttpDone done);
inline constexpr char startSymbol[] = "fennicHttpStart";
inline constexpr char fileName[] = "fennic-network.so";

} // namespace httpmodule
