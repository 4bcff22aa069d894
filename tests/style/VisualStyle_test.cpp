#include "app/SettingsStore.h"
#include "style/VisualStyle.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(VisualStyle, CurrentStyleFollowsTheStoredBoolean) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("fennic.conf"));
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
    store.setValue("visualStyleAsFrame", false);
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAMELESS);
    store.setValue("visualStyleAsFrame", "not a boolean");
    EXPECT_EQ(visualstyle::current(&store), VISUALSTYLE::FRAME);
}
