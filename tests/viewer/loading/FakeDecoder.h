#pragma once

// A decoder for the loading tests, told what to do by the file names: a name
// with "broken" is not an image, one with "crash" makes the decoder throw,
// and only ".heic" files have an embedded preview. It holds decodes, and
// separately preview reads, at a gate until the test opens it; a gate left
// closed opens by itself after five seconds.

#include "viewer/loading/DecodeScheduler.h"
#include "viewer/loading/EarlyDecode.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/loading/ImageLoader.h"

#include "support/Soon.h"

#include <QtTest/QTest>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>

inline constexpr QSize kScreen{100, 75};

class FakeDecoder {
    template <typename F> auto locked(F f) const {
        const std::lock_guard lock(m_state->mutex);
        return f();
    }

public:
    enum Kind { Image, Preview };
    static constexpr QSize kFullSize{400, 300};

    // Nothing stays blocked once the test is over.
    ~FakeDecoder() { openGates(); }

    DecodeFunction function(Kind kind = Image) const {
        return [s = m_state, kind](const QString& path, QSize target) {
            return s->decode(kind, path, target);
        };
    }
    void setGate(bool open, Kind kind = Image) {
        locked([&] { m_state->gateOpen[kind] = open; });
        m_state->gateChanged.notify_all();
    }
    void openGates() {
        setGate(true, Image);
        setGate(true, Preview);
    }
    // The calls so far: the path, with "@full" for a full-resolution decode
    // and "@WxH" for a target other than kScreen.
    QStringList calls(Kind kind = Image) const {
        return locked([&] { return m_state->calls[kind]; });
    }
    bool held() const {
        return locked([&] { return !m_state->gateOpen[Image]; });
    }
    // How many calls passed the gate.
    int passed() const {
        return locked([&] { return m_state->passed; });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable gateChanged;
        bool gateOpen[2] = {true, true};
        QStringList calls[2];
        int passed = 0;

        DecodedImage decode(Kind kind, const QString& path, QSize target) {
            EXPECT_NE(QThread::currentThread(), qApp->thread()) << "decoding blocks the window";
            const QString size = QStringLiteral("@%1x%2").arg(target.width()).arg(target.height());
            std::unique_lock lock(mutex);
            calls[kind] << path + (target == kScreen ? "" : target.isValid() ? size : "@full");
            gateChanged.wait_for(lock, std::chrono::seconds(5), [&] { return gateOpen[kind]; });
            ++passed;
            DecodedImage result;
            if (path.contains("crash"))
                throw std::runtime_error("broken decoder");
            if (kind == Preview && !path.endsWith(".heic"))
                return result;
            result.fullSize = kFullSize;
            const QSize decoded = kind == Preview    ? QSize(40, 30)
                                  : target.isValid() ? kFullSize.scaled(target, Qt::KeepAspectRatio)
                                                     : kFullSize;
            if (path.contains("broken"))
                result.error = QStringLiteral("Not an image");
            else
                result.image = QImage(decoded, QImage::Format_RGB32);
            return result;
        }
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// The shared loading machinery over a fake decoder, with a window's loader
// and, once a step names it, a second window's. shown logs on the main thread
// what the windows were given: the path ("B:" before it for the second
// window), with "~" for a preview, "@full" for the zoom image and an error in
// brackets, and "=" when it came inside show() or the request for the zoom.
struct LoaderRig {
    explicit LoaderRig(int threads = 2, bool previews = false)
        : scheduler(fake.function(), previews ? fake.function(FakeDecoder::Preview) : nullptr,
                    threads) {
        logInto(loader, "");
    }
    // The gates open before the scheduler waits for its workers.
    ~LoaderRig() { fake.openGates(); }

    void logInto(ImageLoader& window, const QString& name) {
        const auto log = [this, name](const char* kind) {
            return [this, name, kind](const QString& path, const DecodedImage& image) {
                EXPECT_EQ(QThread::currentThread(), qApp->thread());
                shown << name + path + (image.preview ? "~" : "") + kind +
                             (image.ok() ? QString() : " (" + image.error + ")");
            };
        };
        QObject::connect(&window, &ImageLoader::imageReady, log(""));
        QObject::connect(&window, &ImageLoader::fullResolutionReady, log("@full"));
    }

    // Runs steps separated by ";": "show x a b" makes x current with the
    // neighbours a and b ("show+ x" in a window twice as large), "zoom x" asks
    // for x at full resolution, "B show ..." and "B zoom ..." do so in the
    // second window and "B close" closes it; "hold" and "hold previews" close
    // a gate, "run" opens the gates and waits until nothing is left to decode,
    // "wait" waits for the next image; "early" starts the start-up decode of
    // "first" for 160x120, lets it finish unless held, and offers it.
    void play(const QString& script) {
        for (const QString& step : script.split(';')) {
            QStringList words = step.split(' ', Qt::SkipEmptyParts);
            if (words.value(0) == "B" && !second) {
                second = std::make_unique<ImageLoader>(scheduler, cache);
                logInto(*second, "B:");
            }
            ImageLoader& window = words.value(0) == "B" ? (words.removeFirst(), *second) : loader;
            const QString verb = words.takeFirst();
            const QString path = words.isEmpty() ? QString() : words.takeFirst();
            const qsizetype before = shown.size();
            bool answered = false;
            if (verb.startsWith("show"))
                answered = window.show(path, words, verb == "show+" ? kScreen * 2 : kScreen);
            else if (verb == "zoom")
                answered = window.requestFullResolution(path);
            else if (verb == "close")
                second.reset();
            else if (verb == "hold")
                fake.setGate(false, path.isEmpty() ? FakeDecoder::Image : FakeDecoder::Preview);
            else if (verb == "run") {
                fake.openGates();
                ASSERT_SOON(!scheduler.runningCount() && !scheduler.waitingCount() &&
                            (!early || early->isFinished()));
                QCoreApplication::sendPostedEvents();
            } else if (verb == "wait")
                ASSERT_SOON(shown.size() > before);
            else if (verb == "early") {
                early = std::make_unique<EarlyDecode>("first", QSize(160, 120), fake.function());
                ASSERT_SOON(fake.held() ? !fake.calls().isEmpty() : early->isFinished());
                loader.offerEarlyDecode(early.get());
            }
            if (answered)
                shown.last() += "=";
        }
    }

    FakeDecoder fake;
    std::unique_ptr<EarlyDecode> early; // outlives the loaders it is offered to
    QStringList shown;
    DecodeScheduler scheduler;
    ImageCache cache;
    ImageLoader loader{scheduler, cache};
    std::unique_ptr<ImageLoader> second;
};
