#include "support/ImageFixtures.h"
#include "support/ViewerFixture.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/view/ImageAreaView.h"

#include <QTest>

namespace {

// WCAG contrast ratio of two opaque colours.
double contrast(QColor a, QColor b) {
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

class ImageDetailsViewTest : public ViewerFixture {
protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        store->setValue("hideInfoSidebarStorage", false);
        QImage photo(640, 480, QImage::Format_RGB32);
        photo.fill(Qt::black);
        ASSERT_TRUE(
            ImageFixtures::writeJpeg(path("photo.jpg"), photo, ImageFixtures::cameraMetadata()));
        photo.fill(Qt::white);
        ASSERT_TRUE(ImageFixtures::writePng(path("white.png"), photo));
    }
};

TEST_F(ImageDetailsViewTest, FollowsTheWindowAndPreselectsOnlyWhileShown) {
    Home* home = open("photo.jpg");
    ImageDetailsView* details = home->detailsView();
    ASSERT_TRUE(details->isVisible());
    EXPECT_EQ(details->content().name, "photo.jpg");
    EXPECT_TRUE(details->content().exposure);
    EXPECT_EQ(home->viewObserver().selectedExtension(), "png");
    ASSERT_TRUE(details->mapPanel());
    EXPECT_TRUE(details->mapPanel()->isVisible()) << "the photo has a position";
    // At the bottom right of the picture, the card inside the window.
    const QRect area = home->imageArea()->geometry();
    EXPECT_EQ(details->geometry().bottomRight(), area.bottomRight());
    EXPECT_TRUE(area.contains(details->card()->geometry().translated(details->pos())));

    // Hidden: no space taken, and a new file leaves the selection alone.
    ASSERT_TRUE(home->perform(WindowCommand::hideinfosidebar));
    EXPECT_FALSE(details->isVisible());
    EXPECT_TRUE(store->value("hideInfoSidebarStorage").toBool());
    QSignalSpy loaded(home, &Home::imageLoaded);
    home->stepToNext();
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(home->viewObserver().selectedExtension(), "png");
    EXPECT_EQ(details->content().name, "photo.jpg");

    // Shown again: the lines and the selection catch up with the new file.
    ASSERT_TRUE(home->perform(WindowCommand::hideinfosidebar));
    EXPECT_TRUE(details->isVisible());
    EXPECT_EQ(home->viewObserver().selectedExtension(), "jpg");
    EXPECT_EQ(details->content().name, "white.png");
    EXPECT_FALSE(details->content().exposure);
    EXPECT_FALSE(details->mapPanel()->isVisible());
    EXPECT_FALSE(store->value("hideInfoSidebarStorage").toBool());
}

TEST_F(ImageDetailsViewTest, CardIsReadableOverDarkAndLightPicturesInBothStyles) {
    for (const bool frame : {true, false}) {
        store->setValue("visualStyleAsFrame", frame);
        for (const QString name : {"photo.jpg", "white.png"}) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 %2").arg(name).arg(frame)));
            Home* home = open(name);
            QWidget* card = home->detailsView()->card();
            ASSERT_TRUE(card->isVisible());
            const QImage shot = home->grab().toImage();
            // The card's own padding, left of every line.
            const QColor background =
                shot.pixelColor(card->mapTo(home, QPoint(3, card->height() / 2)));
            const QColor text = home->palette().color(QPalette::WindowText);
            EXPECT_GE(contrast(background, text), 4.5) << qPrintable(background.name());
            // And text is drawn on it, in that colour.
            int textPixels = 0;
            const QRect inside(card->mapTo(home, QPoint(0, 0)), card->size());
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    textPixels += contrast(shot.pixelColor(x, y), text) < 1.5;
            EXPECT_GT(textPixels, 100);
            windowOf(home)->close();
        }
    }
}

} // namespace
