#include "app/AppSettings.h"
#include "app/SettingsStore.h"
#include "viewer/components/BgNSView.h"
#include "viewer/components/EdgeTopArea.h"
#include "viewer/components/NSImageAspectFillView.h"
#include "viewer/components/NSImageAspectFitView.h"
#include "viewer/components/RoundBgNSView.h"
#include "viewer/components/VisualEffectView.h"

#include <QGraphicsDropShadowEffect>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A parent with an opaque, known backdrop to render children against.
struct Backdrop {
    QWidget widget;
    explicit Backdrop(QColor colour) {
        QPalette palette = widget.palette();
        palette.setColor(QPalette::Window, colour);
        widget.setPalette(palette);
        widget.setAutoFillBackground(true);
        widget.resize(100, 100);
    }
    QColor pixel(int x, int y) { return widget.grab().toImage().pixelColor(x, y); }
};

void expectNear(const QColor& actual, const QColor& expected, int tolerance = 2) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance) << actual.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), tolerance) << actual.name().toStdString();
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance) << actual.name().toStdString();
}

// 300 x 100: blue, green and red thirds.
QImage thirds() {
    QImage image(300, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x)
            image.setPixel(x, y,
                           x < 100   ? qRgb(0, 0, 255)
                           : x < 200 ? qRgb(0, 255, 0)
                                     : qRgb(255, 0, 0));
    return image;
}

} // namespace

TEST(Components, BackgroundsRoundedCornersAndTranslucentPanels) {
    Backdrop backdrop(Qt::red);
    auto* view = new BgNSView(&backdrop.widget);
    view->setGeometry(10, 10, 50, 50);
    expectNear(backdrop.pixel(20, 20), Qt::red); // clear until coloured
    view->setBackgroundColor(Qt::blue);
    for (QPoint p : {QPoint(20, 20), QPoint(59, 59)})
        expectNear(backdrop.pixel(p.x(), p.y()), Qt::blue);
    for (QPoint p : {QPoint(5, 5), QPoint(61, 61)})
        expectNear(backdrop.pixel(p.x(), p.y()), Qt::red);
    // A translucent colour blends over what lies behind.
    view->setBackgroundColor(QColor(0, 0, 255, 128));
    expectNear(backdrop.pixel(20, 20), QColor(127, 0, 128));
    delete view;

    // The corners drawn are the first ones set.
    auto* round = new RoundBgNSView(&backdrop.widget);
    QPalette palette = round->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    round->setPalette(palette);
    round->setGeometry(0, 0, 60, 60);
    for (bool changed : {false, true}) {
        SCOPED_TRACE(changed);
        if (changed)
            round->setCornerRadius(15);
        round->update();
        expectNear(backdrop.pixel(0, 0), Qt::red, 40);  // outside the arc
        expectNear(backdrop.pixel(3, 3), Qt::blue);     // inside a radius-3 arc only
        expectNear(backdrop.pixel(30, 0), Qt::blue, 8); // straight edge
        expectNear(backdrop.pixel(59, 59), Qt::red, 40);
    }
    delete round;

    // The panel shows mostly its window colour, with the backdrop showing through.
    auto* panel = new VisualEffectView(6, 1, &backdrop.widget);
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setGeometry(0, 0, 50, 50);
    const QColor seen = backdrop.pixel(10, 10);
    EXPECT_EQ(seen.red(), 255);
    EXPECT_GT(seen.green(), 150);
    EXPECT_LT(seen.green(), 250);
}

TEST(Components, AspectFillCoversAndAspectFitLetterboxesWithARenewedShadow) {
    Backdrop fillBackdrop(Qt::white);
    auto* fill = new NSImageAspectFillView(&fillBackdrop.widget);
    fill->setGeometry(0, 0, 100, 100);
    fill->setImage(thirds());
    EXPECT_EQ(fill->imageRect(), QRectF(-100, 0, 300, 100));
    // Only the middle third shows, edge to edge.
    for (QPoint p : {QPoint(1, 1), QPoint(50, 50), QPoint(98, 98), QPoint(98, 1)})
        expectNear(fillBackdrop.pixel(p.x(), p.y()), Qt::green);

    Backdrop fitBackdrop(Qt::white);
    auto* fit = new NSImageAspectFitView(&fitBackdrop.widget);
    fit->setGeometry(0, 0, 100, 100);
    EXPECT_EQ(fit->graphicsEffect(), nullptr);
    fit->setImage(thirds());
    EXPECT_EQ(fit->imageRect(), QRectF(0, 100.0 / 3, 100, 100.0 / 3));
    expectNear(fitBackdrop.pixel(10, 50), Qt::blue, 6);
    expectNear(fitBackdrop.pixel(50, 50), Qt::green, 6);
    expectNear(fitBackdrop.pixel(90, 50), Qt::red, 6);
    expectNear(fitBackdrop.pixel(50, 5), Qt::white);
    expectNear(fitBackdrop.pixel(50, 95), Qt::white);
    // The shadow greys the backdrop right next to the picture, and each image gets a new one.
    EXPECT_LT(fitBackdrop.pixel(50, 31).red(), 250);
    QPointer<QGraphicsEffect> first = fit->graphicsEffect();
    ASSERT_TRUE(qobject_cast<QGraphicsDropShadowEffect*>(first));
    fit->setImage(QImage(10, 10, QImage::Format_RGB32));
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(qobject_cast<QGraphicsDropShadowEffect*>(fit->graphicsEffect()));
}

TEST(Components, EdgeTopAreaFollowsTheStoredStyle) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("fennic.conf"));
    EdgeTopArea area(&store);
    EXPECT_FALSE(area.contentReachesTopEdge());
    EXPECT_EQ(area.contentTop(), 52);

    QSignalSpy spy(&area, &EdgeTopArea::placementChanged);
    auto other = makeSetting(AppSettings::visualStyleAsFrame, &store);
    other = false;
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.takeFirst().at(0).toBool());
    EXPECT_TRUE(area.contentReachesTopEdge());
    EXPECT_EQ(area.style(), VISUALSTYLE::FRAMELESS);
    EXPECT_EQ(area.contentTop(), 0);
    other = false; // the same value again moves nothing
    EXPECT_EQ(spy.count(), 0);

    // Another process writes the file.
    SettingsStore(dir.filePath("fennic.conf")).setValue("visualStyleAsFrame", true);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_FALSE(area.contentReachesTopEdge());
}
