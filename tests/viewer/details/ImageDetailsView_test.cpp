#include "support/ImageFixtures.h"
#include "support/ViewerFixture.h"
#include "viewer/details/DetailsCard.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/view/ImageAreaView.h"

#include <cmath>

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
        ASSERT_TRUE(ImageFixtures::writeJpeg(path("photo.jpg"),
                                             ImageFixtures::filled({640, 480}, Qt::black),
                                             ImageFixtures::cameraMetadata()));
        writeImage("white.png", {640, 480}, Qt::white);
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
    step(home, true);
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

// The card's window colour, at its opacity over black or white, keeps the
// text at WCAG's 4.5:1 in both styles.
TEST_F(ImageDetailsViewTest, CardIsReadableOverDarkAndLightPicturesInBothStyles) {
    for (const bool frame : {true, false}) {
        store->setValue("visualStyleAsFrame", frame);
        Home* home = open("photo.jpg");
        const QColor window = home->detailsView()->card()->palette().color(QPalette::Window);
        const QColor text = home->palette().color(QPalette::WindowText);
        for (const QColor under : {QColor(Qt::black), QColor(Qt::white)}) {
            const auto mix = [&](int a, int b) {
                return int(std::lround(a * DetailsCard::backgroundOpacity +
                                       b * (1 - DetailsCard::backgroundOpacity)));
            };
            const QColor shown(mix(window.red(), under.red()), mix(window.green(), under.green()),
                               mix(window.blue(), under.blue()));
            EXPECT_GE(contrast(shown, text), 4.5) << frame << " " << qPrintable(shown.name());
        }
        windowOf(home)->close();
    }
}

} // namespace
