#include "app/NotificationCenter.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>

TEST(NotificationCenter, DeliversUserInfoToSubscribersOfTheNameOnly) {
    NotificationCenter center;
    QVariantMap seen;
    int other = 0;
    auto a = center.subscribe("zoomPlus", nullptr, [&](const QVariantMap& info) { seen = info; });
    auto b = center.subscribe("zoomMinus", nullptr, [&](const QVariantMap&) { ++other; });
    center.post("zoomPlus", {{"uuid", "K1"}});
    EXPECT_EQ(seen.value("uuid").toString(), "K1");
    EXPECT_EQ(other, 0);
}

TEST(NotificationCenter, SubscriptionEndsWithTokenOwnerOrRemoval) {
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.subscribe("n", nullptr, [&](const QVariantMap&) { ++calls; });
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(calls, 1);

    auto owner = std::make_unique<QObject>();
    auto kept = center.subscribe("n", owner.get(), [&](const QVariantMap&) { ++calls; });
    owner.reset();
    center.post("n");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount("n"), 0);

    QObject listener;
    auto t = center.subscribe("n", &listener, [&](const QVariantMap&) { ++calls; });
    center.removeObserver(&listener);
    center.post("n");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, HandlerMayUnsubscribeOthersWhileDelivering) {
    NotificationCenter center;
    int second = 0;
    NotificationCenter::Token later;
    auto first = center.subscribe("n", nullptr, [&](const QVariantMap&) { later.reset(); });
    later = center.subscribe("n", nullptr, [&](const QVariantMap&) { ++second; });
    center.post("n");
    EXPECT_EQ(second, 0);
}
