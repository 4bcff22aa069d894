#include "window/CustomWindow.h"

#include "desktop/windowsystem/WindowSystem.h"
#include "window/ChromeButton.h"
#include "window/EdgeResizer.h"
#include "window/TitleBand.h"
#include "window/WindowPlacement.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWindow>

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
    connect(m_closeButton, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_minimiseButton, &QAbstractButton::clicked, this, &QWidget::showMinimized);

    m_fade = new ButtonFade(this);
    // Out of sight (and out of reach of clicks) until the pointer comes in.
    m_titleBand = new TitleBand(this, m_closeButton, m_minimiseButton);

    m_compositorTitleBars = WindowSystem::compositorDrawsTitleBars();
    // No frame from the compositor, in either style: the edges resize.
    if (!m_compositorTitleBars)
        new EdgeResizer(this);
}

void CustomWindow::setupFadeableViews() {
    if (m_tracking)
        return;
    m_fade->fadeableViews.append(m_closeButton);
    m_fade->fadeableViews.append(m_minimiseButton);
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
    titleLabel()->raise();
}

bool CustomWindow::drawsOwnTitleBar() const {
    return m_titleBand->isShown();
}

QLabel* CustomWindow::titleLabel() const {
    return m_titleBand->label();
}

void CustomWindow::setWindowManagerDecorations(bool decorated) {
    if (decorated == m_decorated)
        return;
    m_decorated = decorated;
    const bool wasVisible = isVisible();
    // Another window (Preferences, where the style was chosen) keeps the
    // focus and its place above this one when this one comes back.
    const bool wasActive = isActiveWindow();
    m_fade->reset();
    m_pointerInside = false;
    // Changing the flags recreates the native window, which hides it. The
    // flags are named in full: Qt fills in a maximise button for a window
    // that names none, and a window sized to its picture has no use for one.
    const bool ownTitleBar = decorated && !m_compositorTitleBars;
    setWindowFlags(decorated && !ownTitleBar
                       ? Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                             Qt::WindowCloseButtonHint
                       : Qt::Window | Qt::FramelessWindowHint);
    m_titleBand->setShown(ownTitleBar);
    updateShape();
    if (wasVisible) {
        setAttribute(Qt::WA_ShowWithoutActivating, !wasActive);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
        // The window manager puts a window it maps on top: the active one
        // goes back above it.
        if (QWidget* active = QApplication::activeWindow(); active && !wasActive)
            active->raise();
    }
}

void CustomWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateShape();
}

void CustomWindow::updateShape() {
    constexpr qreal cornerRadius = 6;
    if (m_decorated || isFullScreen() || QGuiApplication::platformName() != QLatin1String("xcb")) {
        clearMask();
        // A mask cleared while the window was being made again for new
        // decorations stays with its native window, which applies it again
        // when it is made: full screen would show only that corner.
        if (QWindow* handle = windowHandle(); handle && !handle->mask().isEmpty())
            handle->setMask(QRegion());
        return;
    }
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
}

void CustomWindow::setRecordedScreen(QScreen* screen) {
    m_recordedScreen = screen;
    if (isVisible())
        keepOnRecordedScreen();
}

QRect CustomWindow::workArea() const {
    return WindowPlacement::workArea(this, m_recordedScreen);
}

void CustomWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Full screen has no title band and no rounded corners.
    const bool fullScreen = isFullScreen();
    m_titleBand->setShown(m_decorated && !m_compositorTitleBars && !fullScreen);
    updateShape();
    // The window's own buttons come in with the viewer's other controls on
    // entering full screen, and stay with a frameless window the pointer is
    // over on leaving it.
    if (fullScreen != m_wasFullScreen && m_tracking &&
        (fullScreen || (!m_decorated && m_pointerInside)))
        m_fade->mouseEntered();
    m_wasFullScreen = fullScreen;
    if ((windowState() & Qt::WindowMaximized) && !isFullScreen()) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        Q_EMIT maximiseRefused();
    }
}

void CustomWindow::showFullScreenButtons(bool shown) {
    if (!isFullScreen() || !m_tracking)
        return;
    if (shown)
        m_fade->mouseEntered();
    else
        m_fade->mouseExited();
}

// Qt may report an entry twice (once synthesised, once from the platform);
// only a real crossing starts a fade.
void CustomWindow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (m_pointerInside)
        return;
    m_pointerInside = true;
    if (m_tracking && !m_decorated)
        m_fade->mouseEntered();
}

void CustomWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!m_pointerInside)
        return;
    m_pointerInside = false;
    if (m_tracking && !m_decorated)
        m_fade->mouseExited();
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
    const QRect area = workArea();
    if (area.isEmpty())
        return;
    m_constraining = true;
    WindowPlacement::keepOnArea(this, area);
    m_constraining = false;
}
