#include "viewer/loading/EarlyDecode.h"

#include "desktop/Trace.h"
#include "desktop/windowsystem/StartupScreen.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QObject>
#include <QStringDecoder>
#include <QThread>

namespace {

QString absolute(const QString& path) {
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

} // namespace

struct EarlyDecode::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool targetKnown = false;
    QSize target;
    bool finished = false;
    bool taken = false;
    std::optional<DecodedImage> result;
    QObject* context = nullptr;
    std::function<void(const DecodedImage&)> done;
};

EarlyDecode::EarlyDecode(const QString& path, QSize target, DecodeFunction decode)
    : EarlyDecode(path, TargetFunction([target] { return target; }), std::move(decode)) {}

EarlyDecode::EarlyDecode(const QString& path, TargetFunction target, DecodeFunction decode)
    : m_path(path), m_absolutePath(absolute(path)), m_state(std::make_shared<State>()) {
    // Qt takes the first thread that touches a QObject as its main thread. The
    // decoder may create QObjects (a QFile) before QApplication exists, so make
    // sure this thread has been seen first.
    QThread::currentThread();
    m_thread = std::thread([state = m_state, path, target = std::move(target),
                            decode = std::move(decode)] { run(state, path, target, decode); });
}

EarlyDecode::~EarlyDecode() {
    drop();
    if (!m_thread.joinable())
        return;
    // Quitting never waits for a decode: a running one finishes on its own,
    // holding only the shared state, and nobody takes its result.
    if (isFinished())
        m_thread.join();
    else
        m_thread.detach();
}

QString EarlyDecode::fileFromCommandLine(int argc, char** argv) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        // Qt reads file names as UTF-8; a name that is not cannot be opened
        // (and is reported as such), so there is nothing to decode early.
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString argument = utf8.decode(QByteArrayView(argv[i]));
        if (utf8.hasError())
            continue;
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty() || (!optionsEnded && argument.startsWith(QLatin1Char('-'))))
            continue;
        if (QFileInfo(argument).isFile())
            return QFileInfo(argument).absoluteFilePath();
    }
    return QString();
}

std::unique_ptr<EarlyDecode> EarlyDecode::startFromCommandLine(int argc, char** argv,
                                                               DecodeFunction decode,
                                                               TargetFunction target) {
    const QString path = fileFromCommandLine(argc, argv);
    if (path.isEmpty() || !decode)
        return nullptr;
    if (!target)
        target = [] { return startupDecodeTarget(); };
    return std::make_unique<EarlyDecode>(path, std::move(target), std::move(decode));
}

void EarlyDecode::run(const std::shared_ptr<State>& state, const QString& path,
                      const TargetFunction& targetFunction, const DecodeFunction& decode) {
    const QSize target = targetFunction ? targetFunction() : QSize();
    Trace::mark("early-target");
    {
        std::lock_guard lock(state->mutex);
        state->target = target;
        state->targetKnown = true;
        state->changed.notify_all();
    }
    const DecodedImage image = decodeSafely(decode, path, target);
    Trace::mark("early-decoded");
    std::lock_guard lock(state->mutex);
    state->finished = true;
    if (state->done) {
        // Posted under the mutex, as deliverLocked() does.
        QMetaObject::invokeMethod(
            state->context, [done = std::move(state->done), image] { done(image); },
            Qt::QueuedConnection);
        state->done = nullptr;
        state->context = nullptr;
    } else if (!state->taken) {
        state->result = image;
    }
    state->changed.notify_all();
}

void EarlyDecode::deliverLocked(const DecodedImage& image) {
    // Posted under the mutex: cancelWhenReady() cannot return, and so the
    // context cannot be destroyed, while the post is under way.
    QMetaObject::invokeMethod(
        m_state->context, [done = std::move(m_state->done), image] { done(image); },
        Qt::QueuedConnection);
    m_state->done = nullptr;
    m_state->context = nullptr;
}

QSize EarlyDecode::target() const {
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [this] { return m_state->targetKnown; });
    return m_state->target;
}

bool EarlyDecode::isFinished() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->finished;
}

bool EarlyDecode::servesLocked(std::unique_lock<std::mutex>& lock, const QString& path,
                               QSize target) const {
    if (m_state->taken || path.isEmpty() || absolute(path) != m_absolutePath)
        return false;
    // Found at the very start of the worker: in practice long known here.
    m_state->changed.wait(lock, [this] { return m_state->targetKnown; });
    if (servesTarget(m_state->target, DecodedImage{}, target))
        return true;
    return m_state->finished && m_state->result &&
           servesTarget(m_state->target, *m_state->result, target);
}

bool EarlyDecode::serves(const QString& path, QSize target) const {
    std::unique_lock lock(m_state->mutex);
    return servesLocked(lock, path, target);
}

std::optional<DecodedImage> EarlyDecode::take(const QString& path, QSize target) {
    std::unique_lock lock(m_state->mutex);
    // Only the right file is worth waiting for: the result decides whether a
    // larger target is served after all (a small image decoded whole).
    if (!m_state->taken && absolute(path) == m_absolutePath)
        m_state->changed.wait(lock, [this] { return m_state->finished || m_state->taken; });
    const bool served = servesLocked(lock, path, target);
    m_state->taken = true;
    std::optional<DecodedImage> result = std::exchange(m_state->result, std::nullopt);
    if (!served)
        return std::nullopt;
    return result;
}

bool EarlyDecode::takeWhenReady(const QString& path, QSize target, QObject* context,
                                std::function<void(const DecodedImage&)> done) {
    std::unique_lock lock(m_state->mutex);
    if (!context || !done || !servesLocked(lock, path, target)) {
        m_state->taken = true;
        m_state->result.reset();
        return false;
    }
    m_state->taken = true;
    m_state->context = context;
    m_state->done = std::move(done);
    if (m_state->finished && m_state->result) {
        const DecodedImage image = *std::exchange(m_state->result, std::nullopt);
        deliverLocked(image);
    }
    return true;
}

void EarlyDecode::cancelWhenReady() {
    std::lock_guard lock(m_state->mutex);
    m_state->done = nullptr;
    m_state->context = nullptr;
}

void EarlyDecode::drop() {
    std::lock_guard lock(m_state->mutex);
    m_state->taken = true;
    m_state->result.reset();
    m_state->done = nullptr;
    m_state->context = nullptr;
    m_state->changed.notify_all();
}
