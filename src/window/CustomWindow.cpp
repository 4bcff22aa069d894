#include "window/CustomWindow.h"

#include "desktop/windowsystem/WindowSystem.h"
#include "style/FontsManager.h"
#include "style/VisualStyle.h"
#include "window/EdgeResizer.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int buttonSize = 14;   // widget size; the disc is 12 px plus its outline
constexpr int buttonMargin = 8;  // from the window's top-left corner
constexpr int buttonSpacing = 8; // between neighbouring discs

// A round title-bar button: a coloured disc with a thin dark outline, readable
// over light and dark pictures alike, showing its symbol while hovered.
class ChromeButton : public QAbstractButton {
public:
    enum class Symbol { close, minimise };

    ChromeButton(Symbol symbol, QColor fill, QWidget* parent)
        : QAbstractButton(parent), m_symbol(symbol), m_fill(fill) {
        setFixedSize(buttonSize, buttonSize);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF disc = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(QPen(QColor(0, 0, 0, 140), 1.0));
        painter.setBrush(isDown() ? m_fill.darker(125) : m_fill);
        painter.drawEllipse(disc);
        if (!underMouse())
            return;
        painter.setPen(QPen(QColor(0, 0, 0, 170), 1.4, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = disc.center();
        const qreal r = disc.width() * 0.22;
        if (m_symbol == Symbol::close) {
            painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
            painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
        } else {
            painter.drawLine(c + QPointF(-r * 1.2, 0), c + QPointF(r * 1.2, 0));
        }
    }

private:
    Symbol m_symbol;
    QColor m_fill;
};

QGraphicsOpacityEffect* opacityEffectOf(QWidget* view) {
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect()))
        return effect;
    auto* effect = new QGraphicsOpacityEffect(view);
    view->setGraphicsEffect(effect);
    return effect;
}

} // namespace

QRect constrainFrameRect(QRect frame, QRect area) {
    if (area.width() <= 0 || area.height() <= 0)
        return frame;
    const int width = std::clamp(frame.width(), 0, area.width());
    const int height = std::clamp(frame.height(), 0, area.height());
    const int x = std::clamp(frame.x(), area.x(), area.x() + area.width() - width);
    const int y = std::clamp(frame.y(), area.y(), area.y() + area.height() - height);
    return QRect(x, y, width, height);
}

CustomWindow::CustomWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    // The window's size follows the picture's geometry rules, not the content's
    // size hints.
    m_layout->setSizeConstraint(QLayout::SetNoConstraint);

    m_closeButton = new ChromeButton(ChromeButton::Symbol::close, QColor(0xff, 0x5f, 0x57), this);
    m_closeButton->setToolTip(tr("Close"));
    m_closeButton->setAccessibleName(tr("Close"));
    m_minimiseButton =
        new ChromeButton(ChromeButton::Symbol::minimise, QColor(0xfe, 0xbc, 0x2e), this);
    m_minimiseButton->setToolTip(tr("Minimise"));
    m_minimiseButton->setAccessibleName(tr("Minimise"));

    m_closeButton->move(buttonMargin - 1, buttonMargin - 1);
    m_minimiseButton->move(buttonMargin - 1 + buttonSize - 2 + buttonSpacing, buttonMargin - 1);
    // Out of sight (and out of reach of clicks) until the pointer comes in.
    m_closeButton->hide();
    m_minimiseButton->hide();

    m_compositorTitleBars = WindowSystem::compositorDrawsTitleBars();
    // No frame from the compositor, in either style: the edges resize.
    if (!m_compositorTitleBars)
        new EdgeResizer(this);
    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("windowTitle"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel->setFont(FontsManager::font(true, 0));
    m_titleLabel->hide();

    connect(m_closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_minimiseButton, &QAbstractButton::clicked, this, &QWidget::showMinimized);
}

CustomWindow::~CustomWindow() {
    if (m_runningFade) {
        m_runningFade->disconnect(this);
        m_runningFade->stop();
    }
}

void CustomWindow::setupFadeableViews() {
    if (m_tracking)
        return;
    fadeableViews.append(m_closeButton);
    fadeableViews.append(m_minimiseButton);
    m_tracking = true;
}

void CustomWindow::setContentWidget(QWidget* content) {
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (content) {
        m_layout->addWidget(content);
        content->show();
    }
    m_closeButton->raise();
    m_minimiseButton->raise();
    m_titleLabel->raise();
}

void CustomWindow::setWindowManagerDecorations(bool decorated) {
    if (decorated == m_decorated)
        return;
    m_decorated = decorated;
    const bool wasVisible = isVisible();
    interruptRunningFade();
    for (QWidget* view : liveFadeableViews())
        view->hide();
    animationState = UIAnimationState::hidden;
    m_pointerInside = false;
    // Changing the flags recreates the native window, which hides it. The
    // flags are named in full: Qt fills in a maximise button for a window
    // that names none, and a window sized to its picture has no use for one.
    m_ownTitleBar = decorated && !m_compositorTitleBars;
    setWindowFlags(decorated && !m_ownTitleBar
                       ? Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                             Qt::WindowCloseButtonHint
                       : Qt::Window | Qt::FramelessWindowHint);
    placeTitleBar();
    if (wasVisible)
        show();
}

void CustomWindow::placeTitleBar() {
    const int band = int(visualstyle::toolbarHeight(VISUALSTYLE::FRAME));
    // In the band's middle when the window draws its title bar, else in the
    // picture's corner.
    const int top = m_ownTitleBar ? (band - buttonSize) / 2 : buttonMargin - 1;
    m_closeButton->move(buttonMargin - 1, top);
    m_minimiseButton->move(buttonMargin - 1 + buttonSize - 2 + buttonSpacing, top);
    m_closeButton->setVisible(m_ownTitleBar);
    m_minimiseButton->setVisible(m_ownTitleBar);
    for (QWidget* button : {m_closeButton, m_minimiseButton}) {
        if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(button->graphicsEffect()))
            effect->setOpacity(1.0);
    }
    m_titleLabel->setVisible(m_ownTitleBar);
    if (!m_ownTitleBar)
        return;
    // Centred in the window, clear of the buttons and of the toolbar at the
    // right end of the band.
    const int reserved = 190;
    const int width = std::max(0, this->width() - 2 * reserved);
    const QString title =
        m_titleLabel->fontMetrics().elidedText(windowTitle(), Qt::ElideMiddle, width);
    m_titleLabel->setText(title);
    m_titleLabel->setGeometry(reserved, 0, width, band);
    m_titleLabel->raise();
    m_closeButton->raise();
    m_minimiseButton->raise();
}

void CustomWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_ownTitleBar)
        placeTitleBar();
}

void CustomWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && m_ownTitleBar)
        placeTitleBar();
}

void CustomWindow::mousePressEvent(QMouseEvent* event) {
    // A press in the title band that nothing under it took moves the window.
    const int band = int(visualstyle::toolbarHeight(VISUALSTYLE::FRAME));
    if (m_ownTitleBar && event->button() == Qt::LeftButton && event->position().y() < band &&
        windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CustomWindow::setRecordedScreen(QScreen* screen) {
    m_recordedScreen = screen;
    if (isVisible())
        keepOnRecordedScreen();
}

QScreen* CustomWindow::recordedScreen() const {
    return m_recordedScreen;
}

QList<QWidget*> CustomWindow::liveFadeableViews() const {
    QList<QWidget*> views;
    for (const QPointer<QWidget>& view : fadeableViews) {
        if (view)
            views.append(view);
    }
    return views;
}

void CustomWindow::mouseEntered() {
    animationState = UIAnimationState::willShow;
    const QList<QWidget*> views = liveFadeableViews();
    for (QWidget* view : views) {
        view->show();
        opacityEffectOf(view)->setOpacity(0.0);
    }
    runFade(Fade::in, views, 1.0);
}

void CustomWindow::mouseExited() {
    const QList<QWidget*> views = liveFadeableViews();
    for (QWidget* view : views)
        opacityEffectOf(view)->setOpacity(1.0);
    animationState = UIAnimationState::willHide;
    runFade(Fade::out, views, 0.0);
}

void CustomWindow::runFade(Fade fade, QList<QWidget*> views, qreal targetOpacity) {
    // The new fade takes over the buttons' opacity; the one it replaces
    // completes now, as an interrupted fade.
    interruptRunningFade();

    auto* group = new QParallelAnimationGroup(this);
    for (QWidget* view : views) {
        auto* animation = new QPropertyAnimation(opacityEffectOf(view), "opacity", group);
        animation->setDuration(m_fadeDurationMs);
        animation->setEndValue(targetOpacity);
        group->addAnimation(animation);
    }
    m_runningFade = group;
    m_runningFadeKind = fade;
    m_runningFadeViews = QList<QPointer<QWidget>>(views.begin(), views.end());
    connect(group, &QAbstractAnimation::finished, this, [this, group, fade] {
        const QList<QPointer<QWidget>> faded = m_runningFadeViews;
        m_runningFade = nullptr;
        m_runningFadeViews.clear();
        group->deleteLater();
        completeFade(fade, false, faded);
    });
    group->start();
}

void CustomWindow::interruptRunningFade() {
    if (!m_runningFade)
        return;
    QParallelAnimationGroup* group = m_runningFade;
    const QList<QPointer<QWidget>> views = m_runningFadeViews;
    m_runningFade = nullptr;
    m_runningFadeViews.clear();
    group->disconnect(this);
    group->stop();
    group->deleteLater();
    completeFade(m_runningFadeKind, true, views);
}

void CustomWindow::completeFade(Fade fade, bool interrupted,
                                const QList<QPointer<QWidget>>& views) {
    if (fade == Fade::in) {
        // Even when cut short by a fade-out: the state then reads shown while
        // the buttons fade out, until that fade-out completes.
        animationState = UIAnimationState::shown;
        return;
    }
    // A fade-out that ran to its end had no fade-in start meanwhile (that would
    // have interrupted it), so the buttons go away even when a cut-short fade-in
    // has overwritten the state: transparent buttons must not take clicks.
    if (interrupted)
        return;
    for (const QPointer<QWidget>& view : views) {
        if (view)
            view->hide();
    }
    animationState = UIAnimationState::hidden;
}

// Qt may report an entry twice (once synthesised, once from the platform);
// only a real crossing starts a fade.
void CustomWindow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (m_pointerInside)
        return;
    m_pointerInside = true;
    if (m_tracking && !m_decorated)
        mouseEntered();
}

void CustomWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!m_pointerInside)
        return;
    m_pointerInside = false;
    if (m_tracking && !m_decorated)
        mouseExited();
}

void CustomWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible())
        keepOnRecordedScreen();
}

void CustomWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepOnRecordedScreen();
}

void CustomWindow::keepOnRecordedScreen() {
    if (m_constraining || isMinimized() || isFullScreen())
        return;
    QScreen* target = m_recordedScreen ? m_recordedScreen.data() : screen();
    if (!target)
        return;
    const QRect frame = frameGeometry();
    const QRect constrained = constrainFrameRect(frame, WindowSystem::availableArea(*target));
    if (constrained == frame)
        return;
    m_constraining = true;
    if (constrained.size() != frame.size())
        resize(size() - (frame.size() - constrained.size()));
    move(constrained.topLeft());
    m_constraining = false;
}
