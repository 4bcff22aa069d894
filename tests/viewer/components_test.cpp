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
    explicit Backdrop(QColor colour, QSize size = QSize(100, 100)) {
        QPalette palette = widget.palette();
        palette.setColor(QPalette::Window, colour);
        widget.setPalette(palette);
        widget.setAutoFillBackground(true);
        widget.resize(size);
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

TEST(Components, BgNSViewIsClearUntilColoured) {
    Backdrop backdrop(Qt::red);
    auto* view = new BgNSView(&backdrop.widget);
    view->setGeometry(10, 10, 50, 50);
    EXPECT_EQ(view->backgroundColor(), QColor(Qt::transparent));
    expectNear(backdrop.pixel(20, 20), Qt::red);

    view->setBackgroundColor(Qt::blue);
    expectNear(backdrop.pixel(20, 20), Qt::blue);
    expectNear(backdrop.pixel(59, 59), Qt::blue);
    expectNear(backdrop.pixel(5, 5), Qt::red);
    expectNear(backdrop.pixel(61, 61), Qt::red);

    // A translucent colour blends over what lies behind.
    view->setBackgroundColor(QColor(0, 0, 255, 128));
    expectNear(backdrop.pixel(20, 20), QColor(127, 0, 128));
}

TEST(Components, RoundBgNSViewKeepsItsFirstCorners) {
    Backdrop backdrop(Qt::red);
    auto* view = new RoundBgNSView(&backdrop.widget);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    view->setPalette(palette);
    view->setGeometry(0, 0, 60, 60);
    EXPECT_EQ(view->cornerRadius(), 3);

    auto checkRadiusThree = [&] {
        expectNear(backdrop.pixel(0, 0), Qt::red, 40);  // outside the arc
        expectNear(backdrop.pixel(3, 3), Qt::blue);     // inside a radius-3 arc only
        expectNear(backdrop.pixel(30, 0), Qt::blue, 8); // straight edge
        expectNear(backdrop.pixel(59, 59), Qt::red, 40);
        expectNear(backdrop.pixel(65, 65), Qt::red);
    };
    checkRadiusThree();
    view->setCornerRadius(15);
    EXPECT_EQ(view->cornerRadius(), 15);
    EXPECT_EQ(view->drawnCornerRadius(), 3);
    view->update();
    checkRadiusThree();
}

TEST(Components, AspectFillCoversAndAspectFitLetterboxes) {
    Backdrop fillBackdrop(Qt::white);
    auto* fill = new NSImageAspectFillView(&fillBackdrop.widget);
    fill->setGeometry(0, 0, 100, 100);
    fill->setImage(thirds());
    EXPECT_EQ(fill->image().size(), QSize(300, 100));
    EXPECT_EQ(fill->imageRect(), QRectF(-100, 0, 300, 100));
    // Only the middle third shows, edge to edge.
    for (QPoint p : {QPoint(1, 1), QPoint(50, 50), QPoint(98, 98), QPoint(98, 1)})
        expectNear(fillBackdrop.pixel(p.x(), p.y()), Qt::green);

    Backdrop fitBackdrop(Qt::white);
    auto* fit = new NSImageAspectFitView(&fitBackdrop.widget);
    fit->setGeometry(0, 0, 100, 100);
    fit->setImage(thirds());
    const QRectF rect = fit->imageRect();
    EXPECT_NEAR(rect.top(), 100.0 / 3, 1e-9);
    EXPECT_NEAR(rect.height(), 100.0 / 3, 1e-9);
    EXPECT_EQ(rect.left(), 0);
    EXPECT_EQ(rect.width(), 100);
    expectNear(fitBackdrop.pixel(10, 50), Qt::blue, 6);
    expectNear(fitBackdrop.pixel(50, 50), Qt::green, 6);
    expectNear(fitBackdrop.pixel(90, 50), Qt::red, 6);
    expectNear(fitBackdrop.pixel(50, 5), Qt::white);
    expectNear(fitBackdrop.pixel(50, 95), Qt::white);
    // The shadow greys the backdrop right next to the picture.
    EXPECT_LT(fitBackdrop.pixel(50, 31).red(), 250);
}

TEST(Components, AspectFitShadowIsRenewedOnEveryImage) {
    NSImageAspectFitView fit;
    EXPECT_EQ(fit.graphicsEffect(), nullptr);
    auto checkShadow = [&] {
        auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(fit.graphicsEffect());
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->blurRadius(), 6);
        EXPECT_EQ(shadow->offset(), QPointF(0, 0));
        EXPECT_NEAR(shadow->color().alphaF(), 0.45, 0.01);
        EXPECT_EQ(shadow->color().red(), shadow->color().blue());
        EXPECT_NEAR(shadow->color().red(), 128, 1);
    };
    fit.setImage(thirds());
    checkShadow();
    QPointer<QGraphicsEffect> first = fit.graphicsEffect();
    fit.setImage(QImage(10, 10, QImage::Format_RGB32));
    checkShadow();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(fit.image().size(), QSize(10, 10));
}

TEST(Components, VisualEffectViewIsATranslucentPanel) {
    Backdrop backdrop(Qt::red);
    auto* panel = new VisualEffectView(6, 1, &backdrop.widget);
    EXPECT_EQ(panel->material, 6);
    EXPECT_EQ(panel->blendingMode, 1);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setGeometry(0, 0, 50, 50);
    const QColor seen = backdrop.pixel(10, 10);
    EXPECT_EQ(seen.red(), 255);
    EXPECT_GT(seen.green(), 150); // mostly the window colour...
    EXPECT_LT(seen.green(), 250); // ...with the backdrop showing through
}

TEST(Components, EdgeTopAreaFollowsTheStoredStyle) {
    QTemporaryDir dir;
    const QString path = dir.filePath("fennic.conf");
    SettingsStore store(path);
    EdgeTopArea area(&store);
    EXPECT_FALSE(area.contentReachesTopEdge());
    EXPECT_EQ(area.style(), VISUALSTYLE::FRAME);
    EXPECT_EQ(area.contentTop(), 52);

    QSignalSpy spy(&area, &EdgeTopArea::placementChanged);
    auto other = makeSetting(AppSettings::visualStyleAsFrame, &store);
    other = false;
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy.takeFirst().at(0).toBool());
    EXPECT_TRUE(area.contentReachesTopEdge());
    EXPECT_EQ(area.contentTop(), 0);

    // Writing the same value again moves nothing.
    other = false;
    EXPECT_EQ(spy.count(), 0);

    // Another process writes the file.
    SettingsStore elsewhere(path);
    elsewhere.setValue("visualStyleAsFrame", true);
    ASSERT_TRUE(spy.wait(3000));
    EXPECT_FALSE(spy.takeFirst().at(0).toBool());
    EXPECT_FALSE(area.contentReachesTopEdge());
    EXPECT_EQ(area.style(), VISUALSTYLE::FRAME);
}
