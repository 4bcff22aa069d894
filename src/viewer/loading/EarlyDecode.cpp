#include "viewer/loading/EarlyDecode.h"

#include "platform/StartupScreen.h"

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

EarlyDecode::EarlyDecode(const QString& path, QSize target, DecodeFunction decode)
    : EarlyDecode(path, TargetFunction([target] { return target; }), std::move(decode)) {}

EarlyDecode::EarlyDecode(const QString& path, TargetFunction target, DecodeFunction decode)
    : m_path(path), m_absolutePath(absolute(path)) {
    // Qt takes the first thread that touches a QObject as its main thread. The
    // decoder may create QObjects (a QFile) before QApplication exists, so make
    // sure this thread has been seen first.
    QThread::currentThread();
    m_thread = std::thread(
        [this, target = std::move(target), decode = std::move(decode)] { run(target, decode); });
}

EarlyDecode::~EarlyDecode() {
    drop();
    if (m_thread.joinable())
        m_thread.join();
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

void EarlyDecode::run(const TargetFunction& targetFunction, const DecodeFunction& decode) {
    const QSize target = targetFunction ? targetFunction() : QSize();
    {
        std::lock_guard lock(m_mutex);
        m_target = target;
        m_targetKnown = true;
        m_changed.notify_all();
    }
    const DecodedImage image = decodeSafely(decode, m_path, target);
    std::lock_guard lock(m_mutex);
    m_finished = true;
    if (m_done)
        deliverLocked(image);
    else if (!m_taken)
        m_result = image;
    m_changed.notify_all();
}

void EarlyDecode::deliverLocked(const DecodedImage& image) {
    // Posted under the mutex: cancelWhenReady() cannot return, and so the
    // context cannot be destroyed, while the post is under way.
    QMetaObject::invokeMethod(
        m_context, [done = std::move(m_done), image] { done(image); }, Qt::QueuedConnection);
    m_done = nullptr;
    m_context = nullptr;
}

QSize EarlyDecode::target() const {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_targetKnown; });
    return m_target;
}

bool EarlyDecode::isFinished() const {
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool EarlyDecode::servesLocked(std::unique_lock<std::mutex>& lock, const QString& path,
                               QSize target) const {
    if (m_taken || path.isEmpty() || absolute(path) != m_absolutePath)
        return false;
    // Found at the very start of the worker: in practice long known here.
    m_changed.wait(lock, [this] { return m_targetKnown; });
    if (servesTarget(m_target, DecodedImage{}, target))
        return true;
    return m_finished && m_result && servesTarget(m_target, *m_result, target);
}

bool EarlyDecode::serves(const QString& path, QSize target) const {
    std::unique_lock lock(m_mutex);
    return servesLocked(lock, path, target);
}

std::optional<DecodedImage> EarlyDecode::take(const QString& path, QSize target) {
    std::unique_lock lock(m_mutex);
    // Only the right file is worth waiting for: the result decides whether a
    // larger target is served after all (a small image decoded whole).
    if (!m_taken && absolute(path) == m_absolutePath)
        m_changed.wait(lock, [this] { return m_finished || m_taken; });
    const bool served = servesLocked(lock, path, target);
    m_taken = true;
    std::optional<DecodedImage> result = std::exchange(m_result, std::nullopt);
    if (!served)
        return std::nullopt;
    return result;
}

bool EarlyDecode::takeWhenReady(const QString& path, QSize target, QObject* context,
                                std::function<void(const DecodedImage&)> done) {
    std::unique_lock lock(m_mutex);
    if (!context || !done || !servesLocked(lock, path, target)) {
        m_taken = true;
        m_result.reset();
        return false;
    }
    m_taken = true;
    m_context = context;
    m_done = std::move(done);
    if (m_finished && m_result) {
        const DecodedImage image = *std::exchange(m_result, std::nullopt);
        deliverLocked(image);
    }
    return true;
}

void EarlyDecode::cancelWhenReady() {
    std::lock_guard lock(m_mutex);
    m_done = nullptr;
    m_context = nullptr;
}

void EarlyDecode::drop() {
    std::lock_guard lock(m_mutex);
    m_taken = true;
    m_result.reset();
    m_done = nullptr;
    m_context = nullptr;
    m_changed.notify_all();
}
