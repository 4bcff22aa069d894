#include "app/AppStorageCompat.h"
#include "app/SettingsStore.h"
#include "style/VisualStyle.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(VisualStyle, RawValuesNameOnlyTheTwoStyles) {
    EXPECT_EQ(visualstyle::fromRawValue(0), VISUALSTYLE::FRAME);
    EXPECT_EQ(visualstyle::fromRawValue(1), VISUALSTYLE::FRAMELESS);
    EXPECT_EQ(visualstyle::fromRawValue(2), std::nullopt);
    EXPECT_EQ(visualstyle::fromRawValue(-1), std::nullopt);
    EXPECT_EQ(RawRepresentable<VISUALSTYLE>::rawValue(VISUALSTYLE::FRAMELESS), 1);

    EXPECT_EQ(visualstyle::fromVisualStyleAsFrame(true), VISUALSTYLE::FRAME);
    EXPECT_EQ(visualstyle::fromVisualStyleAsFrame(false), VISUALSTYLE::FRAMELESS);
    EXPECT_EQ(visualstyle::toolbarHeight(VISUALSTYLE::FRAME), 52);
    EXPECT_EQ(visualstyle::toolbarHeight(VISUALSTYLE::FRAMELESS), 0);
    EXPECT_EQ(visualstyle::imageInset(VISUALSTYLE::FRAME), 6);
    EXPECT_EQ(visualstyle::imageInset(VISUALSTYLE::FRAMELESS), 0);
}

TEST(VisualStyle, CurrentStyleFollowsTheStoredBoolean) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("fennic.conf"));
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
    store.setValue("visualStyleAsFrame", false);
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAMELESS);
    store.setValue("visualStyleAsFrame", "not a boolean");
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
}

TEST(VisualStyle, WorksAsAStoredSetting) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("fennic.conf"));
    AppStorageCompat<VISUALSTYLE> writer(VISUALSTYLE::FRAME, "style", &store);
    writer = VISUALSTYLE::FRAMELESS;
    EXPECT_EQ(AppStorageCompat<VISUALSTYLE>(VISUALSTYLE::FRAME, "style", &store).wrappedValue(),
              VISUALSTYLE::FRAMELESS);

    store.setValue("style", 2);
    EXPECT_EQ(AppStorageCompat<VISUALSTYLE>(VISUALSTYLE::FRAME, "style", &store).wrappedValue(),
              VISUALSTYLE::FRAME);
}
