#include "desktop/apps/DefaultApplication.h"
#include "desktop/apps/MimeAppsList.h"
#include "desktop/files/FolderListing.h"
#include "desktop/settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace LSW = DefaultApplication;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points the XDG folders at a fresh directory for one test, and back after.
class DefaultApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("data")));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("XDG_DATA_HOME", savedData);
    }
    QString listPath() const { return root.filePath("config/mimeapps.list"); }
    QByteArray list() const { return readAll(listPath()); }
    QList<QByteArray> handlers(const char* type) const {
        return MimeAppsList::defaultHandlers(list(), type);
    }

    QTemporaryDir root;
    QByteArray savedConfig, savedData;
};

TEST_F(DefaultApplicationTest, RegistersAndReleasesInTheUsersListAsXdgMimeReadsIt) {
    EXPECT_EQ(LSW::mimeAppsListPath(), listPath());
    // The desktop file must be installed for xdg-mime to report it.
    ASSERT_TRUE(QDir().mkpath(root.filePath("data/applications")));
    QFile desktop(root.filePath("data/applications/org.fennic.Fennic.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Desktop Entry]\nType=Application\nName=Fennic\nExec=fennic %F\n"
                  "MimeType=image/jpeg;image/png;\n");
    desktop.close();
    // What was there before stays, and stays behind us.
    ASSERT_TRUE(QDir().mkpath(root.filePath("config")));
    QFile before(listPath());
    ASSERT_TRUE(before.open(QIODevice::WriteOnly));
    before.write("[Default Applications]\nimage/jpeg=eog.desktop;\n");
    before.close();

    EXPECT_TRUE(LSW::setDefaultApplication("jpg"));
    EXPECT_EQ(handlers("image/jpeg"), QList<QByteArray>({LSW::desktopFileId, "eog.desktop"}));

    QProcess query;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* desktopHint : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                    "GNOME_DESKTOP_SESSION_ID", "DE"})
        environment.remove(desktopHint);
    environment.insert("XDG_CONFIG_DIRS", root.filePath("nowhere"));
    environment.insert("XDG_DATA_DIRS", root.filePath("nowhere"));
    query.setProcessEnvironment(environment);
    query.start("xdg-mime", {"query", "default", "image/jpeg"});
    ASSERT_TRUE(query.waitForFinished(20000)) << "xdg-mime (package xdg-utils) did not run";
    EXPECT_EQ(query.readAllStandardOutput().trimmed(), QByteArray(LSW::desktopFileId));

    EXPECT_TRUE(LSW::restoreSystemPreviewer("JPG"));
    EXPECT_EQ(list(), "[Default Applications]\nimage/jpeg=eog.desktop;\n");
    // Releasing what is not ours changes nothing and succeeds.
    EXPECT_TRUE(LSW::restoreSystemPreviewer("png"));
    EXPECT_EQ(list(), "[Default Applications]\nimage/jpeg=eog.desktop;\n");
}

TEST_F(DefaultApplicationTest, TypesOfExtensionsAndOnesWithoutAType) {
    EXPECT_EQ(LSW::contentType("heic"), LSW::contentType("HEIC"));
    EXPECT_EQ(LSW::contentType("jpg"), "image/jpeg");
    EXPECT_EQ(LSW::contentType("JPEG"), "image/jpeg");
    for (const QString& extension : fileExtenstionsAccepted())
        EXPECT_FALSE(LSW::contentType(extension).isEmpty()) << extension.toStdString();

    testing::internal::CaptureStdout();
    EXPECT_FALSE(LSW::setDefaultApplication("fennicnotype"));
    EXPECT_FALSE(LSW::setDefaultApplication(""));
    EXPECT_FALSE(LSW::setDefaultApplication("../jpg"));
    EXPECT_FALSE(LSW::restoreSystemPreviewer("fennicnotype"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(QFileInfo::exists(listPath()));

    // heic and HEIC are one type: the second registration repeats the first.
    EXPECT_TRUE(LSW::setDefaultApplication("heic"));
    const QByteArray once = list();
    EXPECT_TRUE(LSW::setDefaultApplication("HEIC"));
    EXPECT_EQ(list(), once);
    EXPECT_EQ(handlers("image/heif"), QList<QByteArray>({LSW::desktopFileId}));
}

TEST_F(DefaultApplicationTest, FailuresPrintANegativeStatusAndLeaveTheListAlone) {
    // A folder where the list should be cannot be read.
    ASSERT_TRUE(QDir().mkpath(listPath()));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(LSW::setDefaultApplication("png"));
    EXPECT_FALSE(LSW::restoreSystemPreviewer("png"));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Got an error when setting default application - -1\n"
                       "Got an error when setting default application - -1\n");
    EXPECT_TRUE(QFileInfo(listPath()).isDir());

    // A config "folder" that is a file: the list cannot be written there.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("plain")));
    QFile plain(root.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(LSW::setDefaultApplication("png"));
    const std::string second = testing::internal::GetCapturedStdout();
    EXPECT_EQ(second.rfind("Got an error when setting default application - -", 0), 0u) << second;
    EXPECT_EQ(readAll(root.filePath("plain")), "");
}

TEST_F(DefaultApplicationTest, AListKeptElsewhereThroughALinkStaysLinked) {
    ASSERT_TRUE(QDir().mkpath(root.filePath("config")));
    ASSERT_TRUE(QDir().mkpath(root.filePath("dotfiles")));
    QFile kept(root.filePath("dotfiles/mimeapps.list"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("# kept in git\n");
    kept.close();
    ASSERT_TRUE(QFile::link(root.filePath("dotfiles/mimeapps.list"), listPath()));

    EXPECT_TRUE(LSW::setDefaultApplication("png"));
    EXPECT_TRUE(QFileInfo(listPath()).isSymLink());
    EXPECT_EQ(readAll(root.filePath("dotfiles/mimeapps.list")),
              "# kept in git\n\n[Default Applications]\nimage/png=org.fennic.Fennic.desktop;\n");
}

TEST_F(DefaultApplicationTest, FirstLaunchRegistersEveryAcceptedTypeOnceAndClearsTheSetting) {
    SettingsStore store(root.filePath("fennic.conf"));
    LSW::registerAtFirstLaunch(store);
    EXPECT_EQ(makeSetting(AppSettings::setFileDefaults, &store).value(), false);
    const QByteArray first = list();
    QStringList types;
    for (const QString& extension : fileExtenstionsAccepted()) {
        const QString type = LSW::contentType(extension);
        EXPECT_EQ(handlers(type.toUtf8().constData()).value(0), LSW::desktopFileId)
            << type.toStdString();
        if (!types.contains(type))
            types << type;
    }
    // One entry per type, in the order of the accepted extensions.
    QStringList keys;
    for (const QByteArray& line : first.split('\n')) {
        if (line.contains('='))
            keys << QString::fromUtf8(line.left(line.indexOf('=')));
    }
    EXPECT_EQ(keys, types);

    // The second launch registers nothing: a release made since stays.
    EXPECT_TRUE(LSW::restoreSystemPreviewer("png"));
    const QByteArray released = list();
    LSW::registerAtFirstLaunch(store);
    EXPECT_EQ(list(), released);
    EXPECT_TRUE(handlers("image/png").isEmpty());

    // A store saying false from the start registers nothing at all.
    QFile::remove(listPath());
    SettingsStore later(root.filePath("later.conf"));
    makeSetting(AppSettings::setFileDefaults, &later) = false;
    LSW::registerAtFirstLaunch(later);
    EXPECT_FALSE(QFileInfo::exists(listPath()));
}

} // namespace
