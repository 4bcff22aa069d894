#include "map/LocationMapView.h"
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
    EXPECT_EQ(details->content().pixelSize, "640 x 480");
    EXPECT_EQ(details->content().extension, "JPG");
    EXPECT_TRUE(details->content().dateTime && details->content().exposure);
    EXPECT_TRUE(details->content().fileSize.endsWith(" KB"))
        << qPrintable(details->content().fileSize);
    EXPECT_EQ(home->viewObserver().selectedExtension(), "png");
    // At the bottom right of the picture, the card inside the window.
    const QRect area = home->imageArea()->geometry();
    EXPECT_EQ(details->geometry().bottomRight(), area.bottomRight());
    EXPECT_EQ(details->card()->width(), ImageDetailsView::cardWidth);
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

namespace {

TEST_F(ImageDetailsViewTest, AQuickStepBetweenTwoPhotosEndsWithTheSecondPlace) {
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(Qt::darkGray);
    ImageFixtures::PhotoMetadata paris;
    paris.latitude = 48.8584; // the Eiffel Tower
    paris.longitude = 2.2945;
    ImageFixtures::PhotoMetadata sydney;
    sydney.latitude = -33.8568; // the Opera House
    sydney.longitude = 151.2153;
    ASSERT_TRUE(ImageFixtures::writeJpeg(path("gps-1.jpg"), photo, paris));
    ASSERT_TRUE(ImageFixtures::writeJpeg(path("gps-2.jpg"), photo, sydney));

    Home* home = open("gps-1.jpg");
    auto* map = qobject_cast<LocationMapView*>(home->detailsView()->mapPanel());
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(map->isVisible());
    EXPECT_NEAR(map->region().center.latitude, 48.8584, 1e-4);
    // On to the next photo before Paris is named.
    QSignalSpy loaded(home, &Home::imageLoaded);
    home->stepToNext();
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_NEAR(map->region().center.latitude, -33.8568, 1e-4);
    EXPECT_NEAR(map->region().span.latitudeDelta, 2.02, 1e-9);
    ASSERT_EQ(map->locations().size(), 1);
    EXPECT_NEAR(map->locations().first().coordinate.longitude, 151.2153, 1e-4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->addressLabel().startsWith("Sydney, "); }, 10000))
        << qPrintable(map->addressLabel());
    // Whatever else arrives late does not take the label back to Paris.
    QTest::qWait(300);
    EXPECT_TRUE(map->addressLabel().endsWith(", Australia")) << qPrintable(map->addressLabel());
    EXPECT_TRUE(map->showAddressLabel());

    // A photo without a position: no map at all.
    for (const char* name : {"photo.jpg", "white.png"}) {
        home->stepToNext();
        ASSERT_TRUE(loaded.wait(5000));
        EXPECT_EQ(home->filePath(), path(name));
    }
    EXPECT_FALSE(map->isVisible());
}

} // namespace
