#include "viewer/view/WindowDragMover.h"
#include "window/CustomWindow.h"
#include "window/EdgeResizer.h"
#include "window/WindowFit.h"
#include "window/WindowPlacement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int testFadeMs = 60;

qreal opacityOf(QWidget* view) {
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

// The pointer crossing into or out of the window, as the platform reports it.
void sendCrossing(QWidget* window, bool enter) {
    QEnterEvent entry(QPointF(30, 30), QPointF(30, 30), window->mapToGlobal(QPointF(30, 30)));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window, enter ? static_cast<QEvent*>(&entry) : &leave);
}

// Windows shown under the platform's pointer get an entry of their own.
QPoint awayFromTheCursor() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint cursor = QCursor::pos();
    return QPoint(cursor.x() < area.center().x() ? area.right() - 310 : area.left() + 10,
                  cursor.y() < area.center().y() ? area.bottom() - 210 : area.top() + 10);
}

} // namespace

TEST(CustomWindow, KeepsItsFrameOnTheAvailableArea) {
    const auto constrain = [](QRect frame, QRect area = QRect(0, 0, 1440, 875)) {
        return WindowPlacement::constrainFrameRect(frame, area);
    };
    EXPECT_EQ(constrain({100, 100, 400, 300}), QRect(100, 100, 400, 300));
    EXPECT_EQ(constrain({-50, -20, 400, 300}), QRect(0, 0, 400, 300));
    EXPECT_EQ(constrain({1300, 800, 400, 300}), QRect(1040, 575, 400, 300));
    // A screen to the right of the primary one pulls the frame across.
    const QRect second(1440, 0, 1920, 1050);
    EXPECT_EQ(constrain({100, 100, 400, 300}, second), QRect(1440, 100, 400, 300));
    EXPECT_EQ(constrain({3500, 900, 400, 300}, second), QRect(2960, 750, 400, 300));
    // Only a side longer than the area shrinks; the top-left stays inside.
    EXPECT_EQ(constrain({10, 10, 2000, 300}), QRect(0, 10, 1440, 300));
    EXPECT_EQ(constrain({-10, 500, 300, 900}), QRect(0, 0, 300, 875));
    // No usable area: nothing to constrain against.
    EXPECT_EQ(constrain({-10, -10, 50, 50}, QRect()), QRect(-10, -10, 50, 50));
}

TEST(CustomWindow, FadesButtonsOnEnterAndLeaveOnlyAfterSetUpIncludingInterruptedFades) {
    CustomWindow window;
    window.buttonFade().setDuration(testFadeMs);
    window.setContentWidget(new QWidget);
    window.resize(300, 200);
    window.move(awayFromTheCursor());
    window.show();
    QAbstractButton* close = window.closeButton();
    QAbstractButton* minimise = window.minimiseButton();
    const QPoint onClose = close->geometry().center();
    // The fade state, and whether both buttons are there to take clicks.
    const auto now = [&] {
        const char* states[] = {"shown", "hidden", "willShow", "willHide"};
        const bool clickable = window.childAt(onClose) == close && minimise->isVisible();
        const bool some = close->isVisible() || minimise->isVisible();
        return QString(states[int(window.buttonFade().animationState())]) + (clickable ? " buttons"
                                                                             : some    ? " some"
                                                                                       : "");
    };
    const auto reaches = [&](const QString& state) {
        return QTest::qWaitFor([&] { return now() == state; }, 3000);
    };
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    sendCrossing(&window, true);
    EXPECT_EQ(now(), "hidden");
    sendCrossing(&window, false);

    window.setupFadeableViews();
    sendCrossing(&window, true);
    EXPECT_EQ(now(), "willShow buttons");
    EXPECT_DOUBLE_EQ(opacityOf(close), 0.0);
    ASSERT_TRUE(reaches("shown buttons"));
    // Entering during a fade-out turns it back, and the buttons stay.
    window.buttonFade().mouseExited();
    window.buttonFade().mouseEntered();
    EXPECT_EQ(now(), "willShow buttons");
    ASSERT_TRUE(reaches("shown buttons"));
    EXPECT_DOUBLE_EQ(opacityOf(close), 1.0);
    sendCrossing(&window, false);
    EXPECT_EQ(now(), "willHide buttons");
    ASSERT_TRUE(reaches("hidden"));

    // Leaving during a fade-in: it completes as shown while the buttons fade
    // out, and no transparent buttons are left taking clicks.
    window.buttonFade().mouseEntered();
    window.buttonFade().mouseExited();
    EXPECT_EQ(now(), "shown buttons");
    ASSERT_TRUE(reaches("hidden"));
}

namespace {

// A window that logs the mouse events reaching it: Press, Move, Release.
class EventRecorder : public QWidget {
public:
    QString seen;

protected:
    void mousePressEvent(QMouseEvent*) override { seen += 'P'; }
    void mouseMoveEvent(QMouseEvent*) override { seen += 'M'; }
    void mouseReleaseEvent(QMouseEvent*) override { seen += 'R'; }
};

} // namespace

// The checks after a fit undo the window manager's late answers, not the user
// moving the window once it was in place.
TEST(WindowFit, SettlingKeepsTheUsersMoveAndUndoesALateSize) {
    CustomWindow window;
    WindowFit fit(&window);
    fit.fit(QSizeF(300, 200), QSizeF(0, 40));
    const QRect fitted = window.geometry();
    ASSERT_EQ(fitted.size(), QSize(300, 200));
    // Between the early checks and the last one, with room on a busy machine.
    QTest::qWait(700);
    window.move(fitted.topLeft() + QPoint(40, 30));
    QTest::qWait(WindowFit::settleMs - 400);
    EXPECT_EQ(window.geometry(), fitted.translated(40, 30));

    fit.fit(QSizeF(300, 200), QSizeF(0, 40));
    QTest::qWait(700);
    window.resize(500, 300);
    QTest::qWait(WindowFit::settleMs - 400);
    EXPECT_EQ(window.geometry(), fitted);
}

TEST(WindowDragMover, MovesTheWindowByThePointerDeltaAndLetsClicksThrough) {
    EventRecorder window;
    window.setGeometry(100, 100, 200, 150);
    window.show();
    auto* mover = new WindowDragMover(&window);
    window.installEventFilter(mover);
    // Press, move by each offset, release at the last one: what reached the window.
    const auto drag = [&](std::initializer_list<QPoint> offsets) {
        window.seen.clear();
        const QPointF from = window.mapToGlobal(QPointF(20, 20)), local(20, 20);
        const auto send = [&](QEvent::Type type, QPoint by, Qt::MouseButtons buttons) {
            QMouseEvent event(type, local, local, from + by, Qt::LeftButton, buttons, {});
            QApplication::sendEvent(&window, &event);
        };
        send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
        for (QPoint offset : offsets)
            send(QEvent::MouseMove, offset, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, offsets.size() ? *std::rbegin(offsets) : QPoint(), {});
        return window.seen;
    };
    const QPoint start = window.pos();
    // The press passes; the drag itself and its release do not.
    EXPECT_EQ(drag({QPoint(40, 30), QPoint(60, 45)}), "P");
    EXPECT_EQ(window.pos(), start + QPoint(60, 45));
    EXPECT_FALSE(mover->isDragging());
    // A click, a move short of the drag distance, and any drag while disabled
    // (panning a zoomed picture) stay with the window's content.
    EXPECT_EQ(drag({}), "PR");
    EXPECT_EQ(drag({QPoint(QApplication::startDragDistance() - 1, 0)}), "PMR");
    mover->setEnabled(false);
    EXPECT_EQ(drag({QPoint(50, 0)}), "PMR");
    EXPECT_EQ(window.pos(), start + QPoint(60, 45));
}

// The band, its buttons and the title as the compositor shows them are read
// from screenshots in the Wayland end-to-end test; the title bar a window
// manager draws, from openbox in the window manager test.
TEST(CustomWindow, DrawsItsOwnTitleBarWhereTheCompositorDrawsNoneAndElidesTheTitle) {
    CustomWindow window;
    window.setCompositorDrawsTitleBars(false);
    window.setupFadeableViews();
    window.resize(600, 400);
    window.setWindowTitle(QStringLiteral("a rather long picture name.jpg"));
    window.setWindowManagerDecorations(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.titleLabel()->text(), "a rather long picture name.jpg");
    // A narrow window elides the title rather than run it past its end.
    window.resize(200, 300);
    EXPECT_NE(window.titleLabel()->text(), window.windowTitle());
    window.setWindowTitle(QStringLiteral("b.png"));
    window.resize(600, 400);
    EXPECT_EQ(window.titleLabel()->text(), "b.png");
}

TEST(EdgeResizer, EdgesWithinTheGripAndCornersGiveTwo) {
    const QSize size(300, 200);
    EXPECT_EQ(edgesAt({150, 100}, size, 6), Qt::Edges());
    EXPECT_EQ(edgesAt({5, 100}, size, 6), Qt::LeftEdge);
    EXPECT_EQ(edgesAt({6, 100}, size, 6), Qt::Edges());
    EXPECT_EQ(edgesAt({294, 100}, size, 6), Qt::RightEdge);
    EXPECT_EQ(edgesAt({293, 100}, size, 6), Qt::Edges());
    EXPECT_EQ(edgesAt({299, 199}, size, 6), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(edgesAt({-1, 100}, size, 6), Qt::Edges());
}
