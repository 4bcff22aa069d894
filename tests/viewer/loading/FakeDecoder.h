#pragma once

// A decoder for the loading tests: records every call, can hold decodes at a
// gate until the test opens it, and fails or throws on chosen files.

#include "viewer/loading/DecodeTypes.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QSet>
#include <QThread>
#include <QtTest/QTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

class FakeDecoder {
public:
    struct Call {
        QString path;
        QSize target;
        QThread* thread = nullptr;
    };

    static constexpr QSize kFullSize{400, 300};

    DecodeFunction function() const {
        return [state = m_state](const QString& path, QSize target) {
            return state->decode(path, target);
        };
    }

    void closeGate() { m_state->setGate(false); }
    void openGate() { m_state->setGate(true); }
    void failOn(const QString& path) {
        m_state->withLock([&](State& s) { s.failing << path; });
    }
    void throwOn(const QString& path) {
        m_state->withLock([&](State& s) { s.throwing << path; });
    }

    QList<Call> calls() const {
        QList<Call> copy;
        m_state->withLock([&](State& s) { copy = s.calls; });
        return copy;
    }
    QStringList calledPaths() const {
        QStringList paths;
        for (const Call& call : calls())
            paths << call.path;
        return paths;
    }
    int callCount(const QString& path) const { return int(calledPaths().count(path)); }
    int callCount() const { return int(calls().size()); }

    // Opens the gate when a test ends early, so that no worker stays blocked
    // while its scheduler waits for it.
    struct GateOpener {
        FakeDecoder& decoder;
        ~GateOpener() { decoder.openGate(); }
    };

private:
    struct State {
        std::mutex mutex;
        std::condition_variable gateChanged;
        bool gateOpen = true;
        QList<Call> calls;
        QSet<QString> failing;
        QSet<QString> throwing;

        template <typename F> void withLock(F f) {
            std::lock_guard lock(mutex);
            f(*this);
        }
        void setGate(bool open) {
            std::lock_guard lock(mutex);
            gateOpen = open;
            gateChanged.notify_all();
        }
        DecodedImage decode(const QString& path, QSize target) {
            std::unique_lock lock(mutex);
            calls.append(Call{path, target, QThread::currentThread()});
            gateChanged.wait(lock, [this] { return gateOpen; });
            if (throwing.contains(path))
                throw std::runtime_error("broken decoder");
            DecodedImage result;
            result.fullSize = kFullSize;
            if (failing.contains(path)) {
                result.error = QStringLiteral("Not an image");
                return result;
            }
            const QSize size =
                target.isValid() ? kFullSize.scaled(target, Qt::KeepAspectRatio) : kFullSize;
            result.image = QImage(size, QImage::Format_RGB32);
            result.image.fill(QColor::fromHsv(int(qHash(path) % 360), 200, 200));
            return result;
        }
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// Runs the event loop until cond holds; false after a generous timeout.
template <typename Cond> bool waitFor(Cond cond) {
    return QTest::qWaitFor(cond, 10000);
}
