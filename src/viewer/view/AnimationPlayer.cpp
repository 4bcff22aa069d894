#include "viewer/view/AnimationPlayer.h"

#include "imageio/ImageKind.h"
#include "viewer/view/FennicImageView.h"

#include <QEvent>
#include <QWindow>
#include <QtConcurrent>

AnimationPlayer::AnimationPlayer(FennicImageView* view) : QObject(view), m_view(view) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AnimationPlayer::due);
}

AnimationPlayer::~AnimationPlayer() = default;

void AnimationPlayer::play(const QString& path) {
    stop();
    // Telling an animation from a still picture reads the file, and counting
    // the frames walks it: on a worker.
    QThreadPool::globalInstance()->start([guard = QPointer(this), generation = m_generation, path] {
        const ImageKind kind = sniffImageKind(path);
        if (kind != ImageKind::Gif && kind != ImageKind::WebP)
            return;
        auto frames =
            std::make_shared<AnimationFrames>(path, kind == ImageKind::Gif ? "gif" : "webp");
        const int firstDelay = frames->isAnimation() ? frames->next().delayMs : 0;
        if (firstDelay > 0)
            QMetaObject::invokeMethod(guard, [=] {
                if (guard)
                    guard->started(generation, frames, firstDelay);
            });
    });
}

void AnimationPlayer::stop() {
    ++m_generation; // what a worker still decodes is dropped when it comes
    m_frames.reset();
    m_ready.reset();
    m_timer.stop();
    m_turn = QTransform();
    m_pausedRemainingMs = -1;
    m_due = false;
}

void AnimationPlayer::turn(double angle) {
    m_turn.rotate(angle);
}

void AnimationPlayer::started(quint64 generation, const Frames& frames, int firstDelayMs) {
    if (generation != m_generation)
        return;
    m_frames = frames;
    watchWindow();
    wait(firstDelayMs);
    decodeNext();
}

void AnimationPlayer::decodeNext() {
    QThreadPool::globalInstance()->start(
        [guard = QPointer(this), generation = m_generation, frames = m_frames] {
            AnimationFrames::Frame frame = frames->next();
            QMetaObject::invokeMethod(guard, [guard, generation, frame = std::move(frame)] {
                if (guard)
                    guard->decoded(generation, frame);
            });
        });
}

void AnimationPlayer::decoded(quint64 generation, AnimationFrames::Frame frame) {
    if (generation != m_generation)
        return;
    if (frame.image.isNull()) { // the file changed or went away: the frame shown stays
        stop();
        return;
    }
    m_ready = std::move(frame);
    if (m_due)
        due();
}

void AnimationPlayer::due() {
    m_due = !m_ready;
    if (m_due)
        return;
    show(*m_ready);
    m_ready.reset();
    decodeNext();
}

void AnimationPlayer::show(const AnimationFrames::Frame& frame) {
    if (!m_view)
        return;
    m_view->setImage(m_turn.isIdentity() ? frame.image : frame.image.transformed(m_turn));
    wait(frame.delayMs);
}

void AnimationPlayer::wait(int ms) {
    if (windowShown())
        m_timer.start(ms);
    else
        m_pausedRemainingMs = ms;
}

bool AnimationPlayer::windowShown() const {
    const QWidget* window = m_view ? m_view->window() : nullptr;
    return window && window->isVisible() && !window->isMinimized();
}

void AnimationPlayer::watchWindow() {
    QWidget* window = m_view ? m_view->window() : nullptr;
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window)
        window->installEventFilter(this);
}

bool AnimationPlayer::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_watchedWindow && m_frames &&
        (type == QEvent::Hide || type == QEvent::Show || type == QEvent::WindowStateChange)) {
        // Checked after the event has done its work.
        QTimer::singleShot(0, this, [this] {
            if (!m_frames)
                return;
            if (!windowShown() && m_timer.isActive()) {
                m_pausedRemainingMs = m_timer.remainingTime();
                m_timer.stop();
            } else if (windowShown() && m_pausedRemainingMs >= 0) {
                m_timer.start(m_pausedRemainingMs);
                m_pausedRemainingMs = -1;
            }
        });
    }
    return QObject::eventFilter(watched, event);
}
