#include "viewer/view/ZoomState.h"

#include <gtest/gtest.h>

TEST(ZoomState, StepsAndPinchesStayWithinTheBounds) {
    ZoomState zoom;
    EXPECT_FALSE(zoom.showsScrollIndicators());
    for (int i = 0; i < 72; ++i)
        EXPECT_TRUE(zoom.zoomIn());
    EXPECT_FALSE(zoom.zoomIn());
    EXPECT_EQ(zoom.scale(), 10.0);
    EXPECT_TRUE(zoom.showsScrollIndicators());
    EXPECT_TRUE(zoom.reset());
    EXPECT_FALSE(zoom.showsScrollIndicators());
    for (double expected : {0.875, 0.75, 0.625, 0.5, 0.4, 0.4}) {
        zoom.zoomOut();
        EXPECT_DOUBLE_EQ(zoom.scale(), expected);
    }
    EXPECT_TRUE(zoom.showsScrollIndicators());

    // A pinch scales by the ratio of successive readings.
    zoom.reset();
    zoom.pinchUpdate(2.0);
    zoom.pinchUpdate(3.3);
    EXPECT_DOUBLE_EQ(zoom.scale(), 3.3);
    zoom.pinchEnd();
    EXPECT_EQ(zoom.lastScaleValue(), 1.0);
    zoom.zoomIn();
    EXPECT_DOUBLE_EQ(zoom.scale(), 3.425);
    // Beyond 10 stops at 10; the next gesture starts from its ratio to 1.
    zoom.pinchUpdate(5.0);
    EXPECT_EQ(zoom.scale(), 10.0);
    zoom.pinchEnd();
    zoom.pinchUpdate(0.5);
    EXPECT_DOUBLE_EQ(zoom.scale(), 5.0);
    zoom.pinchUpdate(0.01);
    EXPECT_EQ(zoom.scale(), 0.4);
    // Readings that are not positive numbers change nothing.
    for (double reading : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(zoom.pinchUpdate(reading));
    EXPECT_EQ(zoom.scale(), 0.4);
    EXPECT_EQ(zoom.lastScaleValue(), 0.01);
}
