#include "app/AppSettings.h"
#include "app/AppStorageCompat.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

enum class Shade { Light = 0, Dark = 1 };
enum class Tint { Red, Blue };

} // namespace

template <> struct RawRepresentable<Shade> {
    using RawValue = int;
    static int rawValue(Shade s) { return int(s); }
    static std::optional<Shade> fromRawValue(int raw) {
        if (raw == 0 || raw == 1)
            return Shade(raw);
        return std::nullopt;
    }
};

template <> struct RawRepresentable<Tint> {
    using RawValue = QString;
    static QString rawValue(Tint t) { return t == Tint::Red ? "red" : "blue"; }
    static std::optional<Tint> fromRawValue(const QString& raw) {
        if (raw == "red")
            return Tint::Red;
        if (raw == "blue")
            return Tint::Blue;
        return std::nullopt;
    }
};

namespace {

class SettingsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("fennic/fennic.conf"); }
    void writeFile(const QByteArray& contents) {
        QDir().mkpath(dir.filePath("fennic"));
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
    }
    QByteArray readFile() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

TEST_F(SettingsTest, FreshStoreGivesDefaultsAndWritesNothing) {
    SettingsStore store(path());
    auto frame = makeSetting(AppSettings::visualStyleAsFrame, &store);
    auto sidebar = makeSetting(AppSettings::hideInfoSidebarStorage, &store);
    auto location = makeSetting(AppSettings::lastOpenLocation, &store);
    auto defaults = makeSetting(AppSettings::setFileDefaults, &store);
    EXPECT_TRUE(frame.wrappedValue());
    EXPECT_TRUE(sidebar.wrappedValue());
    EXPECT_TRUE(defaults.wrappedValue());
    EXPECT_EQ(location.wrappedValue(), QString());
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(SettingsTest, WrappersOnOneKeyStayEqualAndTheValueReachesTheFile) {
    SettingsStore store(path());
    auto first = makeSetting(AppSettings::visualStyleAsFrame, &store);
    auto second = makeSetting(AppSettings::visualStyleAsFrame, &store);
    QSignalSpy willChange(second.notifier(), &StorageNotifier::objectWillChange);
    first = false;
    EXPECT_FALSE(second.wrappedValue());
    EXPECT_EQ(willChange.count(), 1);
    EXPECT_TRUE(readFile().contains("visualStyleAsFrame=false")) << readFile().constData();

    second.projectedValue().set(true);
    EXPECT_TRUE(first.wrappedValue());

    // A later store on the same file reads what was written.
    SettingsStore reopened(path());
    EXPECT_TRUE(makeSetting(AppSettings::visualStyleAsFrame, &reopened).wrappedValue());
}

TEST_F(SettingsTest, WrongTypedValueReadsAsDefault) {
    writeFile("[General]\nvisualStyleAsFrame=/home/someone/Documents\n"
              "hideInfoSidebarStorage=FALSE\nlastOpenLocation=/data/pictures\n");
    SettingsStore store(path());
    EXPECT_TRUE(makeSetting(AppSettings::visualStyleAsFrame, &store).wrappedValue());
    EXPECT_FALSE(makeSetting(AppSettings::hideInfoSidebarStorage, &store).wrappedValue());
    EXPECT_EQ(makeSetting(AppSettings::lastOpenLocation, &store).wrappedValue(), "/data/pictures");
    AppStorageCompat<int> number(7, "lastOpenLocation", &store);
    EXPECT_EQ(number.wrappedValue(), 7);
}

TEST_F(SettingsTest, RemovedKeyFallsBackToTheValueResolvedAtCreation) {
    writeFile("[General]\nhideInfoSidebarStorage=false\n");
    SettingsStore store(path());
    auto early = makeSetting(AppSettings::hideInfoSidebarStorage, &store);
    early = true;
    store.remove("hideInfoSidebarStorage");
    // Resolved false at creation, so false again, not the declared default.
    EXPECT_FALSE(early.wrappedValue());

    auto late = makeSetting(AppSettings::hideInfoSidebarStorage, &store);
    EXPECT_TRUE(late.wrappedValue());
}

TEST_F(SettingsTest, ChangesFromAnotherProcessReachEveryWrapper) {
    SettingsStore store(path());
    auto frame = makeSetting(AppSettings::visualStyleAsFrame, &store);
    auto location = makeSetting(AppSettings::lastOpenLocation, &store);

    // Another program (or a person with an editor) rewrites the file.
    writeFile("[General]\nvisualStyleAsFrame=false\nlastOpenLocation=/srv/photos\n");
    QTRY_VERIFY_WITH_TIMEOUT(!frame.wrappedValue(), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(location.wrappedValue(), QString("/srv/photos"), 3000);

    // And removes a key again.
    writeFile("[General]\nlastOpenLocation=/srv/photos\n");
    QTRY_VERIFY_WITH_TIMEOUT(frame.wrappedValue(), 3000);
}

TEST_F(SettingsTest, CorruptOrUnreadableFileGivesDefaultsAndIsNotOverwritten) {
    const QByteArray garbage("\x00\xff\xfe[[[=\n\x01\x02 visualStyleAsFrame\n", 30);
    writeFile(garbage);
    SettingsStore store(path());
    auto frame = makeSetting(AppSettings::visualStyleAsFrame, &store);
    EXPECT_TRUE(frame.wrappedValue());
    frame = false;
    EXPECT_FALSE(frame.wrappedValue()); // the running program still follows it
    QFile kept(path() + ".broken");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    SettingsStore later(path());
    EXPECT_FALSE(makeSetting(AppSettings::visualStyleAsFrame, &later).wrappedValue());

    if (::geteuid() != 0) {
        writeFile("[General]\nvisualStyleAsFrame=false\n");
        QFile::setPermissions(path(), QFileDevice::Permissions());
        SettingsStore locked(path());
        EXPECT_TRUE(makeSetting(AppSettings::visualStyleAsFrame, &locked).wrappedValue());
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

TEST_F(SettingsTest, EveryValueTypeRoundTripsThroughTheFile) {
    {
        SettingsStore store(path());
        AppStorageCompat<int>(0, "count", &store) = 42;
        AppStorageCompat<double>(0, "ratio", &store) = 0.25;
        AppStorageCompat<QUrl>(QUrl(), "feed", &store) = QUrl("https://example.org/a b");
        AppStorageCompat<QByteArray>({}, "blob", &store) = QByteArray("\x00\x01\xff", 3);
        AppStorageCompat<Shade>(Shade::Light, "shade", &store) = Shade::Dark;
        AppStorageCompat<Tint>(Tint::Red, "tint", &store) = Tint::Blue;
    }
    SettingsStore store(path());
    EXPECT_EQ(AppStorageCompat<int>(0, "count", &store).wrappedValue(), 42);
    EXPECT_DOUBLE_EQ(AppStorageCompat<double>(0, "ratio", &store).wrappedValue(), 0.25);
    EXPECT_EQ(AppStorageCompat<QUrl>(QUrl(), "feed", &store).wrappedValue(),
              QUrl("https://example.org/a b"));
    EXPECT_EQ(AppStorageCompat<QByteArray>({}, "blob", &store).wrappedValue(),
              QByteArray("\x00\x01\xff", 3));
    EXPECT_EQ(AppStorageCompat<Shade>(Shade::Light, "shade", &store).wrappedValue(), Shade::Dark);
    EXPECT_EQ(AppStorageCompat<Tint>(Tint::Red, "tint", &store).wrappedValue(), Tint::Blue);

    // Raw values that name no case read as the default.
    store.setValue("shade", 5);
    store.setValue("tint", "green");
    EXPECT_EQ(AppStorageCompat<Shade>(Shade::Light, "shade", &store).wrappedValue(), Shade::Light);
    EXPECT_EQ(AppStorageCompat<Tint>(Tint::Red, "tint", &store).wrappedValue(), Tint::Red);
}

} // namespace
