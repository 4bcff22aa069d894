#include "desktop/bus/NotificationCenter.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>

TEST(NotificationCenter, DeliversByNameUntilTheTokenOwnerOrRemovalEndsIt) {
    NotificationCenter center;
    QVariantMap seen;
    int calls = 0;
    const auto count = [&](const QVariantMap&) { ++calls; };
    auto plus =
        center.subscribe("zoomPlus", nullptr, [&](const QVariantMap& info) { seen = info; });
    auto minus = center.subscribe("zoomMinus", nullptr, count);
    center.post("zoomPlus", {{"uuid", "K1"}});
    EXPECT_EQ(seen.value("uuid").toString(), "K1");
    EXPECT_EQ(calls, 0);
    minus.reset();

    {
        auto token = center.subscribe("n", nullptr, count);
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(calls, 1);

    auto owner = std::make_unique<QObject>();
    auto kept = center.subscribe("n", owner.get(), count);
    owner.reset();
    QObject listener;
    auto removed = center.subscribe("n", &listener, count);
    center.removeObserver(&listener);
    center.post("n");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount("n"), 0);

    // A handler may unsubscribe others while a post is delivered.
    NotificationCenter::Token later;
    auto first = center.subscribe("m", nullptr, [&](const QVariantMap&) { later.reset(); });
    later = center.subscribe("m", nullptr, count);
    center.post("m");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ATokenAssignedOverEndsWhatItHeldAndAMovedFromTokenHoldsNothing) {
    NotificationCenter center;
    int calls = 0;
    const auto count = [&](const QVariantMap&) { ++calls; };
    auto token = center.subscribe("n", nullptr, count);
    token = center.subscribe("n", nullptr, count);
    EXPECT_EQ(center.observerCount("n"), 1);
    center.post("n");
    EXPECT_EQ(calls, 1);

    NotificationCenter::Token moved(std::move(token));
    EXPECT_FALSE(token);
    EXPECT_TRUE(moved);
    token = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_EQ(center.observerCount("n"), 1);
    token.reset();
    EXPECT_EQ(center.observerCount("n"), 0);
}
