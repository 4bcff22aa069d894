#include "support/ImageFixtures.h"
#include "support/Soon.h"
#include "support/ViewerFixture.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"

#include <QKeyEvent>

namespace {

class ActualSizeTest : public ViewerFixture {
protected:
    static QRect shown(Home* home) { return home->imageArea()->imageView()->imageRect(); }
    static void press(Home* home, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(home, &event);
    }
};

TEST_F(ActualSizeTest, OneKeysTheFilesOwnPixelsAboutAPointAndCtrlZeroFitsAgain) {
    // Larger than the screen, with a mark at three quarters of its width.
    QImage image = ImageFixtures::filled({2400, 1600}, Qt::darkGray);
    image.setPixelColor(1800, 400, Qt::red);
    ASSERT_TRUE(image.save(path("big.png")));
    Home* home = open("big.png");
    const QSize fitted = shown(home).size();
    ASSERT_LT(fitted.width(), 2400);

    // The point of the picture under the anchor stays under it.
    ImageAreaView* area = home->imageArea();
    const QPoint anchor(area->width() * 3 / 4, area->height() / 4);
    const QPointF before =
        QPointF(area->imageView()->mapFrom(area, anchor)) - QPointF(shown(home).topLeft());
    const QPointF picturePoint(before.x() / fitted.width(), before.y() / fitted.height());
    area->zoomToActualSize({2400, 1600}, anchor);
    ASSERT_SOON(shown(home).size() == QSize(2400, 1600));
    QCoreApplication::processEvents();
    const QPointF after =
        QPointF(area->imageView()->mapFrom(area, anchor)) - QPointF(shown(home).topLeft());
    EXPECT_NEAR(after.x() / 2400, picturePoint.x(), 2.0 / 2400);
    EXPECT_NEAR(after.y() / 1600, picturePoint.y(), 2.0 / 1600);
    // Zooming in goes on from there, not back to the steps' maximum.
    home->zoomIn();
    EXPECT_GT(shown(home).width(), 2400);

    press(home, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(shown(home).size(), fitted);
    press(home, Qt::Key_1);
    EXPECT_EQ(shown(home).size(), QSize(2400, 1600));
}

} // namespace
