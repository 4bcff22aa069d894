#include "desktop/settings/AppSettings.h"
#include "desktop/settings/Setting.h"
#include "desktop/settings/SettingsStore.h"
#include "support/ImageFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ImageFixtures::readFile;

class SettingsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("fennic/fennic.conf"); }
    void writeFile(const QByteArray& contents) {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("fennic")) &&
                    ImageFixtures::writeFile(path(), contents));
    }
    template <typename T> static T read(SettingsStore& store, const char* key, T fallback) {
        return Setting<T>(fallback, key, &store).value();
    }
    QTemporaryDir dir;
};

TEST_F(SettingsTest, DefaultsAreNotWrittenAndWrappersOnOneKeyStayEqual) {
    SettingsStore store(path());
    auto first = makeSetting(AppSettings::visualStyleAsFrame, &store);
    auto second = makeSetting(AppSettings::visualStyleAsFrame, &store);
    EXPECT_TRUE(first.value());
    EXPECT_EQ(makeSetting(AppSettings::lastOpenLocation, &store).value(), QString());
    EXPECT_FALSE(QFile::exists(path()));

    first = false;
    EXPECT_FALSE(second.value());
    EXPECT_TRUE(readFile(path()).contains("visualStyleAsFrame=false"));
    second.binding().set(true);
    EXPECT_TRUE(first.value());
}

TEST_F(SettingsTest, WrongTypesReadAsDefaultAndRemovedKeysFallBackToTheValueAtCreation) {
    writeFile("[General]\nvisualStyleAsFrame=/home/someone/Documents\n"
              "hideInfoSidebarStorage=FALSE\nlastOpenLocation=/data/pictures\n");
    SettingsStore store(path());
    EXPECT_TRUE(makeSetting(AppSettings::visualStyleAsFrame, &store).value());
    auto sidebar = makeSetting(AppSettings::hideInfoSidebarStorage, &store);
    EXPECT_FALSE(sidebar.value());
    EXPECT_EQ(makeSetting(AppSettings::lastOpenLocation, &store).value(), "/data/pictures");
    EXPECT_EQ(read(store, "lastOpenLocation", 7), 7);

    // Resolved false at creation, so false again, not the declared default.
    sidebar = true;
    store.remove("hideInfoSidebarStorage");
    EXPECT_FALSE(sidebar.value());
    EXPECT_TRUE(makeSetting(AppSettings::hideInfoSidebarStorage, &store).value());
}

TEST_F(SettingsTest, ChangesFromAnotherProcessReachEveryWrapper) {
    SettingsStore store(path());
    auto frame = makeSetting(AppSettings::visualStyleAsFrame, &store);
    auto location = makeSetting(AppSettings::lastOpenLocation, &store);
    writeFile("[General]\nvisualStyleAsFrame=false\nlastOpenLocation=/srv/photos\n");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !frame.value() && location.value() == "/srv/photos"; }, 3000));
    writeFile("[General]\nlastOpenLocation=/srv/photos\n"); // the key removed again
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.value(); }, 3000));
}

TEST_F(SettingsTest, BytesThatAreNotUtf8CostOnlyTheirOwnKeyAndEveryOriginalIsKept) {
    // Latin-1 text in one value, in a continued value and in a section name.
    const QByteArray latin1("[General]\nvisualStyleAsFrame=false\nlastOpenLocation=/data/caf\xe9\n"
                            "feed=https://a.example/\\\n\xe9t\xe9\nhideInfoSidebarStorage=true\n"
                            "[caf\xe9]\nk=1\n");
    writeFile(latin1);
    SettingsStore store(path());
    EXPECT_FALSE(makeSetting(AppSettings::visualStyleAsFrame, &store).value());
    EXPECT_TRUE(makeSetting(AppSettings::hideInfoSidebarStorage, &store).value());
    EXPECT_EQ(makeSetting(AppSettings::lastOpenLocation, &store).value(), QString());
    EXPECT_FALSE(store.contains("lastOpenLocation"));
    EXPECT_FALSE(store.contains("feed"));

    // The next write keeps the original aside and the readable entries in place.
    store.setValue("count", 3);
    EXPECT_EQ(readFile(path() + ".broken"), latin1);
    SettingsStore later(path());
    EXPECT_FALSE(makeSetting(AppSettings::visualStyleAsFrame, &later).value());
    EXPECT_EQ(read(later, "count", 0), 3);
    EXPECT_FALSE(later.contains("lastOpenLocation"));
    EXPECT_FALSE(readFile(path()).contains("caf"));

    // Files kept earlier stay; binary junk is moved aside whole, and what is
    // written over it is read back by the next start.
    for (const QByteArray& junk : {QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), QByteArray("[x\n")}) {
        writeFile(junk);
        SettingsStore broken(path());
        EXPECT_FALSE(broken.contains("count"));
        EXPECT_TRUE(makeSetting(AppSettings::visualStyleAsFrame, &broken).value());
        broken.setValue("count", 4);
        SettingsStore next(path());
        EXPECT_EQ(read(next, "count", 0), 4);
    }
    EXPECT_EQ(readFile(path() + ".broken"), latin1);
    EXPECT_EQ(readFile(path() + ".broken.1"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10));
    EXPECT_EQ(readFile(path() + ".broken.2"), "[x\n");
    EXPECT_FALSE(QFile::exists(path() + ".broken.3"));
}

} // namespace
