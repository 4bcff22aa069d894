#include "window/ButtonFade.h"

#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

namespace {

QGraphicsOpacityEffect* opacityEffectOf(QWidget* view) {
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect()))
        return effect;
    auto* effect = new QGraphicsOpacityEffect(view);
    view->setGraphicsEffect(effect);
    return effect;
}

} // namespace

ButtonFade::ButtonFade(QObject* parent) : QObject(parent) {}

ButtonFade::~ButtonFade() {
    if (m_running) {
        m_running->disconnect(this);
        m_running->stop();
    }
}

QList<QWidget*> ButtonFade::liveViews() const {
    QList<QWidget*> views;
    for (const QPointer<QWidget>& view : fadeableViews) {
        if (view)
            views.append(view);
    }
    return views;
}

void ButtonFade::mouseEntered() {
    m_state = UIAnimationState::willShow;
    const QList<QWidget*> views = liveViews();
    for (QWidget* view : views) {
        view->show();
        opacityEffectOf(view)->setOpacity(0.0);
    }
    run(Fade::in, views, 1.0);
}

void ButtonFade::mouseExited() {
    const QList<QWidget*> views = liveViews();
    for (QWidget* view : views)
        opacityEffectOf(view)->setOpacity(1.0);
    m_state = UIAnimationState::willHide;
    run(Fade::out, views, 0.0);
}

void ButtonFade::reset() {
    interrupt();
    for (QWidget* view : liveViews())
        view->hide();
    m_state = UIAnimationState::hidden;
}

void ButtonFade::run(Fade fade, const QList<QWidget*>& views, qreal targetOpacity) {
    interrupt();
    auto* group = new QParallelAnimationGroup(this);
    for (QWidget* view : views) {
        auto* animation = new QPropertyAnimation(opacityEffectOf(view), "opacity", group);
        animation->setDuration(m_durationMs);
        animation->setEndValue(targetOpacity);
        group->addAnimation(animation);
    }
    m_running = group;
    m_runningKind = fade;
    m_runningViews = QList<QPointer<QWidget>>(views.begin(), views.end());
    connect(group, &QAbstractAnimation::finished, this, [this, group, fade] {
        const QList<QPointer<QWidget>> faded = m_runningViews;
        m_running = nullptr;
        m_runningViews.clear();
        group->deleteLater();
        complete(fade, false, faded);
    });
    group->start();
}

void ButtonFade::interrupt() {
    if (!m_running)
        return;
    QParallelAnimationGroup* group = m_running;
    const QList<QPointer<QWidget>> views = m_runningViews;
    m_running = nullptr;
    m_runningViews.clear();
    group->disconnect(this);
    group->stop();
    group->deleteLater();
    complete(m_runningKind, true, views);
}

void ButtonFade::complete(Fade fade, bool interrupted, const QList<QPointer<QWidget>>& views) {
    if (fade == Fade::in) {
        // Even when cut short by a fade-out: the state then reads shown while
        // the buttons fade out, until that fade-out completes.
        m_state = UIAnimationState::shown;
        return;
    }
    if (interrupted)
        return;
    for (const QPointer<QWidget>& view : views) {
        if (view)
            view->hide();
    }
    m_state = UIAnimationState::hidden;
}
