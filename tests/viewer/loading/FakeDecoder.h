#pragma once

// A decoder for the loading tests: records every call, can hold decodes at a
// gate until the test opens it, and fails or throws on chosen files.

#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/DecodeTypes.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/loading/ImageLoader.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <QtTest/QTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

// The paths of recorded calls or results, in order.
template <typename T> QStringList pathsOf(const QList<T>& items) {
    QStringList paths;
    for (const T& item : items)
        paths << item.path;
    return paths;
}

class FakeDecoder {
public:
    struct Call {
        QString path;
        QSize target;
        QThread* thread = nullptr;
    };
    static constexpr QSize kFullSize{400, 300};
    static constexpr QSize kPreviewSize{40, 30};

    DecodeFunction function() const {
        return [s = m_state](const QString& path, QSize target) { return s->decode(path, target); };
    }
    // Reads the "embedded preview" of the files given to withPreview(): a
    // kPreviewSize image; nothing for the others. Held at its own gate.
    DecodeFunction previewFunction() const {
        return [s = m_state](const QString& path, QSize target) {
            return s->decodePreview(path, target);
        };
    }
    void closeGate() { m_state->setGate(false); }
    void openGate() { m_state->setGate(true); }
    void closePreviewGate() { m_state->setPreviewGate(false); }
    void openPreviewGate() { m_state->setPreviewGate(true); }
    void withPreview(const QString& path) { m_state->locked()->withPreview << path; }
    QList<Call> previewCalls() const { return m_state->locked()->previewCalls; }
    QStringList previewCalledPaths() const { return pathsOf(previewCalls()); }
    void failOn(const QString& path) { m_state->locked()->failing << path; }
    void throwOn(const QString& path) { m_state->locked()->throwing << path; }

    QList<Call> calls() const { return m_state->locked()->calls; }
    QStringList calledPaths() const { return pathsOf(calls()); }
    int callCount(const QString& path) const { return int(calledPaths().count(path)); }
    int callCount() const { return int(calls().size()); }

    // Opens the gate when a test ends early, so that no worker stays blocked
    // while whatever started it waits for it.
    struct GateOpener {
        FakeDecoder& decoder;
        ~GateOpener() {
            decoder.openGate();
            decoder.openPreviewGate();
        }
    };

private:
    struct State {
        std::mutex mutex;
        std::condition_variable gateChanged;
        bool gateOpen = true;
        bool previewGateOpen = true;
        QList<Call> calls, previewCalls;
        QSet<QString> failing, throwing, withPreview;

        std::unique_ptr<State, void (*)(State*)> locked() {
            mutex.lock();
            return {this, [](State* s) { s->mutex.unlock(); }};
        }
        void setGate(bool open) {
            locked()->gateOpen = open;
            gateChanged.notify_all();
        }
        void setPreviewGate(bool open) {
            locked()->previewGateOpen = open;
            gateChanged.notify_all();
        }
        DecodedImage decodePreview(const QString& path, QSize target) {
            std::unique_lock lock(mutex);
            previewCalls.append(Call{path, target, QThread::currentThread()});
            gateChanged.wait(lock, [this] { return previewGateOpen; });
            DecodedImage result;
            if (!withPreview.contains(path))
                return result;
            result.fullSize = kFullSize;
            result.image = QImage(kPreviewSize, QImage::Format_RGB32);
            result.image.fill(Qt::gray);
            return result;
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

// The shared loading machinery over a fake decoder, with one window's loader,
// recording what the scheduler delivered and what the window was shown.
struct LoaderRig {
    struct Result {
        QString path;
        DecodedImage image;
        bool onMainThread = false;
    };

    // previews: the scheduler reads embedded previews with the fake.
    explicit LoaderRig(bool gateClosed = false, int threads = 2, bool previews = false)
        : scheduler(fake.function(), previews ? fake.previewFunction() : DecodeFunction(),
                    threads) {
        if (gateClosed)
            fake.closeGate();
        const auto into = [](QList<Result>& list) {
            return [&list](const QString& path, const DecodedImage& image) {
                list << Result{path, image, QThread::currentThread() == qApp->thread()};
            };
        };
        QObject::connect(
            &scheduler, &DecodeScheduler::decoded, &scheduler,
            [add = into(decoded)](const DecodeResult& r) { add(r.key.path, r.image); });
        QObject::connect(&loader, &ImageLoader::imageReady, &loader, into(shown));
        QObject::connect(&loader, &ImageLoader::fullResolutionReady, &loader, into(zoomed));
    }
    // The gate opens before the scheduler waits for its workers.
    ~LoaderRig() {
        fake.openGate();
        fake.openPreviewGate();
    }

    FakeDecoder fake;
    QList<Result> decoded, shown, zoomed;
    DecodeScheduler scheduler;
    ImageCache cache;
    ImageLoader loader{scheduler, cache};
};

// Runs destroy while fake's gate is closed and a decode waits behind it.
// Answers whether destroy waited for that decode: should it still be running
// after five seconds, a watchdog opens the gate and says so.
inline bool destroyingWaitsForTheDecode(FakeDecoder& fake, const std::function<void()>& destroy) {
    std::mutex mutex;
    std::condition_variable released;
    bool destroyed = false, watchdogFired = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!released.wait_for(lock, std::chrono::seconds(5), [&] { return destroyed; })) {
            watchdogFired = true;
            fake.openGate();
        }
    });
    destroy();
    {
        const std::lock_guard lock(mutex);
        destroyed = true;
    }
    released.notify_all();
    watchdog.join();
    return watchdogFired;
}
