#include "app/ActionRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(ActionRequest, ReadsTheFourShapesOfParameterAndRefusesTheRest) {
    const QString current = "CURRENT-KEY";
    const auto read = [&](const QString& name, const QVariantList& parameter) {
        return readActionRequest(name, parameter, current);
    };
    // Empty: the current window.
    ActionRequest request = read("zoomPlus", {});
    ASSERT_TRUE(request.ok()) << qPrintable(request.error);
    EXPECT_EQ(request.command, WindowCommand::zoomPlus);
    EXPECT_EQ(request.key, current);
    // A key; a key and a value; a map.
    EXPECT_EQ(read("zoomMinus", {"K1"}).key, "K1");
    request = read("convertImage", {"K1", "png"});
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.userInfo.value("value").toString(), "png");
    request = read("convertImage", {QVariantMap{{"uuid", "K2"}, {"value", "bmp"}}});
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.key, "K2");
    EXPECT_EQ(request.userInfo.value("value").toString(), "bmp");

    // Refused, each with its reason; an unknown action, a number and an
    // unknown window are refused over D-Bus in the end-to-end action test.
    EXPECT_FALSE(read("copyImage", {}).ok()); // only a key gives it
    EXPECT_FALSE(read("zoomPlus", {"K1", "v", "w"}).ok());
    EXPECT_FALSE(read("zoomPlus", {QVariantMap{{"uuid", 12}}}).ok());
    EXPECT_FALSE(read("rotateClock", {QVariantMap{}}).ok()); // a map names its window
    EXPECT_FALSE(read("convertImage", {QVariantMap{{"value", "png"}}}).ok());
    EXPECT_FALSE(read("convertImage", {"K1"}).ok());
    EXPECT_FALSE(read("convertImage", {QVariantMap{{"uuid", "K1"}, {"value", 3}}}).ok());
    EXPECT_FALSE(readActionRequest("zoomPlus", {}, QString()).ok()); // no window yet
}

} // namespace
