#include "desktop/apps/DefaultApplication.h"
#include "desktop/apps/MimeAppsList.h"
#include "desktop/files/ImageTypes.h"
#include "desktop/settings/AppSettings.h"
#include "support/ImageFixtures.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace LSW = DefaultApplication;

namespace {

using ImageFixtures::readFile;

void writeFile(const QString& path, const QByteArray& content) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()) &&
                ImageFixtures::writeFile(path, content));
}

// Each XDG folder is the test's own, named after its variable; nothing is
// put back, as each test runs in a process of its own.
class DefaultApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("XDG_CONFIG_HOME")));
        ASSERT_TRUE(QDir().mkpath(root.filePath("XDG_CONFIG_HOME")));
    }
    QString list() const { return root.filePath("XDG_CONFIG_HOME/mimeapps.list"); }
    QList<QByteArray> handlers(const QString& type) const {
        return MimeAppsList::defaultHandlers(readFile(list()), type.toUtf8());
    }
    // A desktop tool that sees only those folders and no desktop session,
    // with our entry installed.
    QByteArray run(const QString& program, const QStringList& arguments) {
        writeFile(root.filePath("XDG_DATA_HOME/applications/org.fennic.Fennic.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Fennic\nExec=/bin/true\n");
        QProcessEnvironment environment;
        environment.insert("PATH", qEnvironmentVariable("PATH"));
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
            environment.insert(name, root.filePath(name));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(20000)) << qPrintable(program) << " did not run";
        return process.readAllStandardOutput();
    }

    QTemporaryDir root;
};

TEST_F(DefaultApplicationTest, GoesFirstInALinkedListAsXdgMimeAndGioReadItAndLeavesAgain) {
    EXPECT_EQ(LSW::mimeAppsListPath(), list());
    const QByteArray kept = "# in git\n[Default Applications]\nimage/jpeg=eog.desktop;\n";
    const QString target = root.filePath("dotfiles/mimeapps.list");
    writeFile(target, kept);
    ASSERT_TRUE(QFile::link(target, list()));
    EXPECT_TRUE(LSW::setDefaultApplication("jpg"));
    EXPECT_EQ(readFile(target), "# in git\n[Default Applications]\n"
                                "image/jpeg=org.fennic.Fennic.desktop;eog.desktop;\n");
    EXPECT_EQ(run("xdg-mime", {"query", "default", "image/jpeg"}).trimmed(), LSW::desktopFileId);
    EXPECT_EQ(run("gio", {"mime", "image/jpeg"}).split('\n').value(0).split(' ').last(),
              LSW::desktopFileId);
    EXPECT_TRUE(LSW::restoreSystemPreviewer("JPG"));
    EXPECT_TRUE(LSW::restoreSystemPreviewer("png")); // not ours: nothing to do
    EXPECT_EQ(readFile(target), kept);
    EXPECT_TRUE(QFileInfo(list()).isSymLink());
}

TEST_F(DefaultApplicationTest, UnknownTypesAndUnwritableListsWriteNothing) {
    for (const char* extension : {"fennicnotype", "", "../jpg"})
        EXPECT_FALSE(LSW::setDefaultApplication(extension) ||
                     LSW::restoreSystemPreviewer(extension));
    EXPECT_FALSE(QFileInfo::exists(list()));
    // A folder where the list should be; a config "folder" that is a file.
    ASSERT_TRUE(QDir().mkpath(list()));
    EXPECT_FALSE(LSW::setDefaultApplication("png") || LSW::restoreSystemPreviewer("png"));
    writeFile(root.filePath("plain"), "");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("plain")));
    EXPECT_FALSE(LSW::setDefaultApplication("png"));
}

TEST_F(DefaultApplicationTest, FirstLaunchRegistersEachTypeTheDesktopEntryOffersOnce) {
    SettingsStore store(root.filePath("fennic.conf"));
    LSW::registerAtFirstLaunch(store);
    EXPECT_FALSE(makeSetting(AppSettings::setFileDefaults, &store).value());
    const QStringList& types = openedMimeTypes();
    QStringList lines{"[Default Applications]"};
    for (const QString& type : types)
        lines << type + "=org.fennic.Fennic.desktop;";
    EXPECT_EQ(readFile(list()), (lines.join('\n') + '\n').toUtf8());
    // Every accepted extension the database knows names one of them.
    for (const QString& extension : acceptedExtensions()) {
        const QString type = LSW::contentType(extension);
        EXPECT_TRUE(type.isEmpty() || types.contains(type)) << extension.toStdString();
    }

    // The desktop entry and the software-centre metadata offer exactly those
    // types, under any of the names the MIME database gives them.
    const QString resources = FENNIC_SOURCE_DIR "/resources/desktop/org.fennic.Fennic.";
    const QString entry = readFile(resources + "desktop"),
                  metainfo = readFile(resources + "metainfo.xml.in");
    const QStringList names =
        entry.section("\nMimeType=", 1).section('\n', 0, 0).split(';', Qt::SkipEmptyParts);
    QSet<QString> offered;
    for (const QString& name : names) {
        offered << QMimeDatabase().mimeTypeForName(name).name();
        EXPECT_TRUE(metainfo.contains("<mediatype>" + name + "</mediatype>")) << name.toStdString();
    }
    EXPECT_EQ(offered, QSet<QString>(types.begin(), types.end()));
    EXPECT_EQ(metainfo.count("<mediatype>"), names.size());

    // Later launches register nothing: a release made since stays.
    EXPECT_TRUE(LSW::restoreSystemPreviewer("png"));
    LSW::registerAtFirstLaunch(store);
    EXPECT_TRUE(handlers("image/png").isEmpty());
}

} // namespace
