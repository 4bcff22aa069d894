#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QTransform>

#include <memory>
#include <optional>

#include "imageio/decode/AnimationFrames.h"

class FennicImageView;

// Plays an animated GIF or WebP in a view. The loader shows the first frame
// at once, as for any picture; the next frames are decoded on a worker, one
// ahead, and shown when due. Showing another file stops it; it waits while
// the window is hidden or minimised.
class AnimationPlayer : public QObject {
    Q_OBJECT
public:
    explicit AnimationPlayer(FennicImageView* view);
    ~AnimationPlayer() override;

    // Plays the file when it is an animation; stops what played before.
    void play(const QString& path);
    void stop();
    // The frames follow the picture's quarter turns on screen.
    void turn(double angle);

    bool isPlaying() const { return bool(m_frames); }
    // True while a frame is due to be shown: not while the window is hidden.
    bool isRunning() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Frames = std::shared_ptr<AnimationFrames>;
    void started(quint64 generation, const Frames& frames, int firstDelayMs);
    void decodeNext();
    void decoded(quint64 generation, AnimationFrames::Frame frame);
    void due();
    void show(const AnimationFrames::Frame& frame);
    // The next frame is due in ms, counted from when the window shows.
    void wait(int ms);
    bool windowShown() const;
    void watchWindow();

    QPointer<FennicImageView> m_view;
    QPointer<QWidget> m_watchedWindow;
    Frames m_frames;
    std::optional<AnimationFrames::Frame> m_ready;
    QTimer m_timer;
    QTransform m_turn;
    quint64 m_generation = 0;
    int m_pausedRemainingMs = -1; // the wait left when the window was hidden
    bool m_due = false;           // the frame's time has come before its pixels
};
