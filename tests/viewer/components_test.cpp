#include "platform/AppSettings.h"
#include "platform/SettingsStore.h"
#include "viewer/components/BgNSView.h"
#include "viewer/components/EdgeTopArea.h"
#include "viewer/components/NSImageAspectFillView.h"
#include "viewer/components/NSImageAspectFitView.h"
#include "viewer/components/RoundBgNSView.h"
#include "viewer/components/VisualEffectView.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
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

// Checks the colour at each point of the backdrop, channel by channel.
void expectAt(Backdrop& backdrop, std::initializer_list<QPoint> points, const QColor& expected,
              int tolerance = 2) {
    for (QPoint p : points) {
        const QColor c = backdrop.pixel(p.x(), p.y());
        const int off =
            std::max({std::abs(c.red() - expected.red()), std::abs(c.green() - expected.green()),
                      std::abs(c.blue() - expected.blue())});
        EXPECT_LE(off, tolerance) << c.name().toStdString() << " at " << p.x() << ',' << p.y();
    }
}

// 300 x 100: blue, green and red thirds.
QImage thirds() {
    QImage image(300, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 100, 100, Qt::blue);
    painter.fillRect(100, 0, 100, 100, Qt::green);
    painter.fillRect(200, 0, 100, 100, Qt::red);
    return image;
}

} // namespace

TEST(Components, BackgroundsRoundedCornersAndTranslucentPanels) {
    Backdrop backdrop(Qt::red);
    auto* view = new BgNSView(&backdrop.widget);
    view->setGeometry(10, 10, 50, 50);
    expectAt(backdrop, {{20, 20}}, Qt::red); // clear until coloured
    view->setBackgroundColor(Qt::blue);
    expectAt(backdrop, {{20, 20}, {59, 59}}, Qt::blue);
    expectAt(backdrop, {{5, 5}, {61, 61}}, Qt::red);
    // A translucent colour blends over what lies behind.
    view->setBackgroundColor(QColor(0, 0, 255, 128));
    expectAt(backdrop, {{20, 20}}, QColor(127, 0, 128));
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
        expectAt(backdrop, {{0, 0}, {59, 59}}, Qt::red, 40); // outside the arcs
        expectAt(backdrop, {{3, 3}}, Qt::blue);              // inside a radius-3 arc only
        expectAt(backdrop, {{30, 0}}, Qt::blue, 8);          // straight edge
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
    expectAt(fillBackdrop, {{1, 1}, {50, 50}, {98, 98}, {98, 1}}, Qt::green);

    Backdrop fitBackdrop(Qt::white);
    auto* fit = new NSImageAspectFitView(&fitBackdrop.widget);
    fit->setGeometry(0, 0, 100, 100);
    EXPECT_EQ(fit->graphicsEffect(), nullptr);
    fit->setImage(thirds());
    EXPECT_EQ(fit->imageRect(), QRectF(0, 100.0 / 3, 100, 100.0 / 3));
    expectAt(fitBackdrop, {{10, 50}}, Qt::blue, 6);
    expectAt(fitBackdrop, {{50, 50}}, Qt::green, 6);
    expectAt(fitBackdrop, {{90, 50}}, Qt::red, 6);
    expectAt(fitBackdrop, {{50, 5}, {50, 95}}, Qt::white);
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
    EXPECT_EQ(area.contentTop(), 0);
    other = false; // the same value again moves nothing
    EXPECT_EQ(spy.count(), 0);

    // Another process writes the file.
    SettingsStore(dir.filePath("fennic.conf")).setValue("visualStyleAsFrame", true);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_FALSE(area.contentReachesTopEdge());
}
