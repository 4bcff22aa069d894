#include "app/CustomWindow.h"
#include "app/WindowDragMover.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int testFadeMs = 60;
constexpr int waitMs = 3000;

qreal opacityOf(QWidget* view) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

void sendEnter(QWidget* window) {
    QEnterEvent event(QPointF(30, 30), QPointF(30, 30), window->mapToGlobal(QPointF(30, 30)));
    QApplication::sendEvent(window, &event);
}

void sendLeave(QWidget* window) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(window, &event);
}

// Windows shown under the platform's pointer get an entry of their own.
QPoint awayFromTheCursor() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint cursor = QCursor::pos();
    const bool cursorOnLeft = cursor.x() < area.center().x();
    const bool cursorAtTop = cursor.y() < area.center().y();
    return QPoint(cursorOnLeft ? area.right() - 310 : area.left() + 10,
                  cursorAtTop ? area.bottom() - 210 : area.top() + 10);
}

struct ChromeWindow {
    CustomWindow window;
    ChromeWindow() {
        window.setFadeDuration(testFadeMs);
        window.setContentWidget(new QWidget);
        window.resize(300, 200);
        window.move(awayFromTheCursor());
        window.show();
        window.setupFadeableViews();
    }
    bool buttonsVisible() const {
        return window.closeButton()->isVisible() && window.minimiseButton()->isVisible();
    }
    bool buttonsHidden() const {
        return !window.closeButton()->isVisible() && !window.minimiseButton()->isVisible();
    }
    bool waitFor(UIAnimationState state) {
        return QTest::qWaitFor([&] { return window.animationState == state; }, waitMs);
    }
};

} // namespace

TEST(ConstrainFrameRect, KeepsTheFrameOnTheAvailableArea) {
    const QRect screen(0, 0, 1440, 875);
    EXPECT_EQ(constrainFrameRect(QRect(100, 100, 400, 300), screen), QRect(100, 100, 400, 300));
    EXPECT_EQ(constrainFrameRect(QRect(-50, -20, 400, 300), screen), QRect(0, 0, 400, 300));
    EXPECT_EQ(constrainFrameRect(QRect(1300, 800, 400, 300), screen), QRect(1040, 575, 400, 300));
    // A screen to the right of the primary one pulls the frame across.
    const QRect second(1440, 0, 1920, 1050);
    EXPECT_EQ(constrainFrameRect(QRect(100, 100, 400, 300), second), QRect(1440, 100, 400, 300));
    EXPECT_EQ(constrainFrameRect(QRect(3500, 900, 400, 300), second), QRect(2960, 750, 400, 300));
    // Only a side longer than the area shrinks; the top-left stays inside.
    EXPECT_EQ(constrainFrameRect(QRect(10, 10, 2000, 300), screen), QRect(0, 10, 1440, 300));
    EXPECT_EQ(constrainFrameRect(QRect(-10, 500, 300, 900), screen), QRect(0, 0, 300, 875));
    // No usable area: nothing to constrain against.
    EXPECT_EQ(constrainFrameRect(QRect(-10, -10, 50, 50), QRect()), QRect(-10, -10, 50, 50));
}

TEST(CustomWindow, StartsWithoutButtonsAndIgnoresThePointerUntilSetUp) {
    CustomWindow window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(window.isMouseInWindow);
    EXPECT_TRUE(window.fadeableViews.isEmpty());
    EXPECT_EQ(window.animationState, UIAnimationState::hidden);
    EXPECT_EQ(window.hideControlTimer, nullptr);
    EXPECT_EQ(int(UIAnimationState::shown), 0);
    EXPECT_EQ(int(UIAnimationState::willHide), 3);

    window.resize(300, 200);
    window.show();
    EXPECT_FALSE(window.closeButton()->isVisible());
    EXPECT_FALSE(window.minimiseButton()->isVisible());
    sendEnter(&window);
    EXPECT_EQ(window.animationState, UIAnimationState::hidden);
    EXPECT_FALSE(window.closeButton()->isVisible());

    window.setupFadeableViews();
    window.setupFadeableViews();
    ASSERT_EQ(window.fadeableViews.size(), 2);
    EXPECT_EQ(window.fadeableViews[0], window.closeButton());
    EXPECT_EQ(window.fadeableViews[1], window.minimiseButton());
    // Hidden buttons are not where clicks land.
    const QPoint onClose = window.closeButton()->geometry().center();
    EXPECT_NE(window.childAt(onClose), window.closeButton());
}

TEST(CustomWindow, FadesInOnEnterAndOutOnLeave) {
    ChromeWindow w;
    sendEnter(&w.window);
    EXPECT_EQ(w.window.animationState, UIAnimationState::willShow);
    EXPECT_TRUE(w.buttonsVisible());
    EXPECT_DOUBLE_EQ(opacityOf(w.window.closeButton()), 0.0);
    ASSERT_TRUE(w.waitFor(UIAnimationState::shown));
    // A repeated entry without a leave in between is not a crossing.
    sendEnter(&w.window);
    EXPECT_EQ(w.window.animationState, UIAnimationState::shown);
    EXPECT_DOUBLE_EQ(opacityOf(w.window.closeButton()), 1.0);
    EXPECT_DOUBLE_EQ(opacityOf(w.window.minimiseButton()), 1.0);
    const QPoint onClose = w.window.closeButton()->geometry().center();
    EXPECT_EQ(w.window.childAt(onClose), w.window.closeButton());

    sendLeave(&w.window);
    EXPECT_EQ(w.window.animationState, UIAnimationState::willHide);
    EXPECT_TRUE(w.buttonsVisible());
    ASSERT_TRUE(w.waitFor(UIAnimationState::hidden));
    EXPECT_TRUE(w.buttonsHidden());
    EXPECT_DOUBLE_EQ(opacityOf(w.window.closeButton()), 0.0);
    EXPECT_NE(w.window.childAt(onClose), w.window.closeButton());
}

TEST(CustomWindow, EnteringDuringAFadeOutKeepsTheButtons) {
    ChromeWindow w;
    w.window.mouseEntered();
    ASSERT_TRUE(w.waitFor(UIAnimationState::shown));
    w.window.mouseExited();
    w.window.mouseEntered();
    EXPECT_EQ(w.window.animationState, UIAnimationState::willShow);
    ASSERT_TRUE(w.waitFor(UIAnimationState::shown));
    QTest::qWait(2 * testFadeMs);
    EXPECT_EQ(w.window.animationState, UIAnimationState::shown);
    EXPECT_TRUE(w.buttonsVisible());
    EXPECT_DOUBLE_EQ(opacityOf(w.window.closeButton()), 1.0);
}

TEST(CustomWindow, LeavingDuringAFadeInStillHidesTheButtons) {
    ChromeWindow w;
    w.window.mouseEntered();
    w.window.mouseExited();
    // The cut-short fade-in completes as shown while the buttons fade out.
    EXPECT_EQ(w.window.animationState, UIAnimationState::shown);
    EXPECT_TRUE(w.buttonsVisible());
    ASSERT_TRUE(w.waitFor(UIAnimationState::hidden));
    // No transparent buttons left taking clicks.
    EXPECT_TRUE(w.buttonsHidden());
}

TEST(CustomWindow, SkipsFadeableViewsThatWentAway) {
    ChromeWindow w;
    auto* extra = new QWidget(&w.window);
    w.window.fadeableViews.append(extra);
    delete extra;
    w.window.mouseEntered();
    ASSERT_TRUE(w.waitFor(UIAnimationState::shown));
    EXPECT_TRUE(w.buttonsVisible());
}

TEST(CustomWindow, ContentFillsTheWindowUnderButtonsThatCloseAndMinimise) {
    ChromeWindow w;
    w.window.mouseEntered();
    ASSERT_TRUE(w.waitFor(UIAnimationState::shown));
    // The content fills the window and the buttons sit above it.
    EXPECT_EQ(w.window.contentWidget()->geometry(), w.window.rect());
    // The content's own minimum does not become the window's.
    w.window.contentWidget()->setMinimumSize(2000, 2000);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w.window.minimumSize(), QSize(0, 0));
    EXPECT_EQ(w.window.size(), QSize(300, 200));
    QTest::mouseClick(w.window.minimiseButton(), Qt::LeftButton);
    EXPECT_TRUE(w.window.isMinimized());
    w.window.showNormal();
    QTest::mouseClick(w.window.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(w.window.isVisible());
}

TEST(CustomWindow, StaysOnTheRecordedScreen) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    CustomWindow window;
    window.setRecordedScreen(screen);
    window.resize(200, 100);
    window.move(area.left() - 300, area.top() - 300);
    window.show();
    EXPECT_EQ(window.frameGeometry().topLeft(), area.topLeft());
    window.move(area.right() + 50, area.top() + 40);
    EXPECT_EQ(window.frameGeometry().topLeft(),
              QPoint(area.left() + area.width() - 200, area.top() + 40));
    EXPECT_EQ(window.size(), QSize(200, 100));
}

namespace {

class EventRecorder : public QWidget {
public:
    using QWidget::QWidget;
    int presses = 0, moves = 0, releases = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

struct DragSetup {
    QWidget window;
    EventRecorder* area = new EventRecorder(&window);
    WindowDragMover* mover = new WindowDragMover(area);
    QPoint origin; // global position of the press
    DragSetup() {
        window.resize(200, 150);
        area->resize(200, 150);
        window.move(100, 100);
        window.show();
        area->installEventFilter(mover);
        origin = area->mapToGlobal(QPoint(20, 20));
    }
    void send(QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        const QPointF local = area->mapFromGlobal(QPointF(global));
        QMouseEvent event(type, local, local, QPointF(global), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(area, &event);
    }
};

} // namespace

TEST(WindowDragMover, MovesTheWindowByThePointerDelta) {
    DragSetup s;
    const QPoint start = s.window.pos();
    s.send(QEvent::MouseButtonPress, s.origin, Qt::LeftButton);
    s.send(QEvent::MouseMove, s.origin + QPoint(40, 30), Qt::LeftButton);
    EXPECT_TRUE(s.mover->isDragging());
    s.send(QEvent::MouseMove, s.origin + QPoint(60, 45), Qt::LeftButton);
    s.send(QEvent::MouseButtonRelease, s.origin + QPoint(60, 45), Qt::NoButton);
    EXPECT_EQ(s.window.pos(), start + QPoint(60, 45));
    EXPECT_FALSE(s.mover->isDragging());
    // The press reached the area; the drag itself and its release did not.
    EXPECT_EQ(s.area->presses, 1);
    EXPECT_EQ(s.area->moves, 0);
    EXPECT_EQ(s.area->releases, 0);
}

TEST(WindowDragMover, LetsClicksAndSmallMovesThrough) {
    DragSetup s;
    const QPoint start = s.window.pos();
    s.send(QEvent::MouseButtonPress, s.origin, Qt::LeftButton);
    s.send(QEvent::MouseButtonRelease, s.origin, Qt::NoButton);
    const QPoint nudge(QApplication::startDragDistance() - 1, 0);
    s.send(QEvent::MouseButtonPress, s.origin, Qt::LeftButton);
    s.send(QEvent::MouseMove, s.origin + nudge, Qt::LeftButton);
    s.send(QEvent::MouseButtonRelease, s.origin + nudge, Qt::NoButton);
    EXPECT_EQ(s.window.pos(), start);
    EXPECT_EQ(s.area->presses, 2);
    EXPECT_EQ(s.area->moves, 1);
    EXPECT_EQ(s.area->releases, 2);

    // Disabled, a drag belongs to the area (panning a zoomed picture).
    s.mover->setEnabled(false);
    s.send(QEvent::MouseButtonPress, s.origin, Qt::LeftButton);
    s.send(QEvent::MouseMove, s.origin + QPoint(50, 0), Qt::LeftButton);
    s.send(QEvent::MouseButtonRelease, s.origin + QPoint(50, 0), Qt::NoButton);
    EXPECT_EQ(s.window.pos(), start);
    EXPECT_EQ(s.area->releases, 3);
}
