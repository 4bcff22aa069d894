#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QParallelAnimationGroup;

// Where the fading window buttons are in their fade cycle. The order of the
// cases is part of the contract (shown first).
enum class UIAnimationState {
    shown,
    hidden,
    willShow,
    willHide,
};

// Fades a window's own buttons in when the pointer enters and out (then hides
// them) when it leaves. A new fade takes over from a running one, which then
// completes as interrupted: a cut-short fade-in reads as shown, and only a
// fade-out that ran to its end hides the buttons, so transparent buttons
// never take clicks.
class ButtonFade : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultDurationMs = 700;

    explicit ButtonFade(QObject* parent = nullptr);
    ~ButtonFade() override;

    // Views that fade with the pointer; ones that have gone away are skipped.
    QList<QPointer<QWidget>> fadeableViews;

    UIAnimationState animationState() const { return m_state; }
    void mouseEntered();
    void mouseExited();
    // Stops any fade and hides the views at once.
    void reset();

    // Tests shorten the fade; everyone else keeps the default.
    void setDuration(int ms) { m_durationMs = ms; }

private:
    enum class Fade { in, out };

    QList<QWidget*> liveViews() const;
    void run(Fade fade, const QList<QWidget*>& views, qreal targetOpacity);
    void interrupt();
    void complete(Fade fade, bool interrupted, const QList<QPointer<QWidget>>& views);

    UIAnimationState m_state = UIAnimationState::hidden;
    QPointer<QParallelAnimationGroup> m_running;
    Fade m_runningKind = Fade::in;
    QList<QPointer<QWidget>> m_runningViews;
    int m_durationMs = defaultDurationMs;
};
