#include "desktop/apps/DesktopEntry.h"
#include "desktop/apps/DesktopExec.h"
#include "desktop/apps/ExternalEditor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Sets environment variables for as long as it lives.
class Environment {
public:
    void set(const char* name, const QByteArray& value) {
        m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    ~Environment() {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->wasSet)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
        }
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

void writeFile(const QString& path, const QByteArray& content,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(content);
    file.close();
    file.setPermissions(permissions);
}

DesktopEntry entryWithExec(const QByteArray& exec) {
    DesktopEntry entry = parseDesktopEntry("[Desktop Entry]\nType=Application\nName=Darkroom\n"
                                           "Name[de]=Dunkelkammer\nIcon=darkroom\nExec=" +
                                           exec + "\n");
    entry.location = "/usr/share/applications/darkroom.desktop";
    return entry;
}

QStringList commandLine(const QByteArray& exec, const QString& file = "/p/a b.jpg") {
    const auto command = commandForFile(entryWithExec(exec), file);
    return command ? QStringList{command->program} + command->arguments
                   : QStringList{"<no command>"};
}

// Applications folders of the test's own: XDG_DATA_HOME and XDG_DATA_DIRS.
class ApplicationFolders {
public:
    ApplicationFolders() {
        m_environment.set("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("home")));
        m_environment.set("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("local") + ":" +
                                                             m_dir.filePath("system")));
    }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    void install(const QString& where, const QByteArray& entry) {
        writeFile(path(where + "/applications/darkroom.desktop"), entry);
    }
    // A program that writes each of its arguments, NUL-terminated, to a file.
    QString recorder(const QString& name) {
        const QString program = path("bin/" + name);
        writeFile(program,
                  "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args.tmp\"\n"
                  "pwd > \"$0.cwd\"\nmv \"$0.args.tmp\" \"$0.args\"\n",
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return program;
    }
    Environment& environment() { return m_environment; }

private:
    QTemporaryDir m_dir;
    Environment m_environment;
};

QStringList recordedArguments(const QString& program) {
    QFile file(program + ".args");
    if (!QTest::qWaitFor([&] { return file.exists(); }, 15000) || !file.open(QIODevice::ReadOnly))
        return {"<not started>"};
    QStringList arguments;
    for (const QByteArray& argument : file.readAll().split('\0'))
        arguments << QString::fromUtf8(argument);
    arguments.removeLast(); // after the last NUL
    return arguments;
}

} // namespace

TEST(DesktopEntry, ValuesAreReadFromTheirGroupWithEscapesAndLanguages) {
    const DesktopEntry entry = parseDesktopEntry(
        "# comment\n[Other Group]\nName=Wrong\n[Desktop Entry]\nName = Darkroom \n"
        "Name[de]=Dunkelkammer\nComment=tab\\there\\nline \\\\ \\s end\\\nHidden=true\n"
        "NoDisplay=false\nName=Second\n[Desktop Action New]\nExec=other\n");
    EXPECT_EQ(entry.string("Name"), "Darkroom");
    EXPECT_EQ(entry.string("Comment"), "tab\there\nline \\   end\\");
    EXPECT_TRUE(entry.boolean("Hidden"));
    EXPECT_FALSE(entry.boolean("NoDisplay"));
    EXPECT_FALSE(entry.keys.contains("Exec"));

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Switzerland));
    EXPECT_EQ(entry.localeString("Name"), "Dunkelkammer");
    QLocale::setDefault(QLocale(QLocale::French));
    EXPECT_EQ(entry.localeString("Name"), "Darkroom");
    QLocale::setDefault(QLocale::system());

    // Escapes that belong to the Exec quoting survive the string unescaping.
    EXPECT_EQ(unescapeDesktopString(R"(a "\\\\" \$ \" \q\)"), R"(a "\\" \$ \" \q\)");
}

TEST(DesktopExec, QuotingRulesSplitArguments) {
    using Args = std::optional<QStringList>;
    EXPECT_EQ(splitExec("darkroom  --open\t%f"), Args({"darkroom", "--open", "%f"}));
    EXPECT_EQ(splitExec(R"("/opt/dark room/bin" "a \"q\" \`b\` \$HOME \\ \x")"),
              Args({"/opt/dark room/bin", R"(a "q" `b` $HOME \ \x)"}));
    EXPECT_EQ(splitExec(R"(prog "" --x="1 2")"), Args({"prog", "", "--x=1 2"}));
    EXPECT_EQ(splitExec("   "), Args(QStringList{}));
    EXPECT_EQ(splitExec(R"(prog "open)"), std::nullopt);
}

TEST(DesktopExec, FieldCodesTakeTheFileAndDeprecatedOnesGo) {
    EXPECT_EQ(commandLine("darkroom %f"), QStringList({"darkroom", "/p/a b.jpg"}));
    EXPECT_EQ(commandLine("darkroom %F"), QStringList({"darkroom", "/p/a b.jpg"}));
    EXPECT_EQ(commandLine("darkroom %U"), QStringList({"darkroom", "file:///p/a%20b.jpg"}));
    EXPECT_EQ(commandLine("darkroom --file=%u"),
              QStringList({"darkroom", "--file=file:///p/a%20b.jpg"}));
    EXPECT_EQ(commandLine("darkroom %i %c %k %d %D %n %N %v %m 100%% %f"),
              QStringList({"darkroom", "--icon", "darkroom", "Darkroom",
                           "/usr/share/applications/darkroom.desktop", "100%", "/p/a b.jpg"}));
    // Without a file code the file goes last; %% is no file code.
    EXPECT_EQ(commandLine("darkroom --new-window 50%%f"),
              QStringList({"darkroom", "--new-window", "50%f", "/p/a b.jpg"}));
    // String escapes first, then quoting: \\\\ in the file is one backslash.
    EXPECT_EQ(commandLine(R"("/opt/dark\\\\room" "--title=\\$x" %f)"),
              QStringList({R"(/opt/dark\room)", "--title=$x", "/p/a b.jpg"}));

    // The file text is inserted after splitting: quotes and spaces in it
    // stay one argument.
    const QString odd = R"(/p/it's "q" $(rm -rf ~) %f.jpg)";
    EXPECT_EQ(commandLine("darkroom %f", odd), QStringList({"darkroom", odd}));
    EXPECT_EQ(commandLine("darkroom \"%f\""), QStringList({"darkroom", "/p/a b.jpg"}));

    DesktopEntry noIcon = parseDesktopEntry("[Desktop Entry]\nExec=darkroom %i %f\n");
    EXPECT_EQ(commandForFile(noIcon, "/a.jpg")->arguments, QStringList{"/a.jpg"});
    EXPECT_FALSE(commandForFile(parseDesktopEntry("[Desktop Entry]\nExec=\n"), "/a.jpg"));
    EXPECT_FALSE(commandForFile(parseDesktopEntry("[Desktop Entry]\nExec=\"open\n"), "/a.jpg"));
}

TEST(DesktopEntry, LookupFollowsTheDataFoldersInOrder) {
    ApplicationFolders folders;
    EXPECT_EQ(applicationFolders(),
              QStringList({folders.path("home/applications"), folders.path("local/applications"),
                           folders.path("system/applications")}));
    EXPECT_EQ(findDesktopFile("darkroom.desktop"), QString());

    folders.install("system", "[Desktop Entry]\nType=Application\nExec=/bin/true\n");
    EXPECT_EQ(findDesktopFile("darkroom.desktop"),
              folders.path("system/applications/darkroom.desktop"));
    folders.install("local", "[Desktop Entry]\nType=Application\nExec=/bin/true\n");
    EXPECT_EQ(findDesktopFile("darkroom.desktop"),
              folders.path("local/applications/darkroom.desktop"));

    // IDs with dashes may live in subfolders.
    writeFile(folders.path("home/applications/vendor/photo-editor.desktop"), "[Desktop Entry]\n");
    EXPECT_EQ(findDesktopFile("vendor-photo-editor.desktop"),
              folders.path("home/applications/vendor/photo-editor.desktop"));
    EXPECT_EQ(findDesktopFile("../darkroom.desktop"), QString());
    EXPECT_EQ(findDesktopFile("darkroom"), QString());

    folders.environment().set("XDG_DATA_DIRS", "");
    EXPECT_EQ(applicationFolders().mid(1),
              QStringList({"/usr/local/share/applications", "/usr/share/applications"}));
}

TEST(ExternalEditor, InstalledOnlyWhenTheEntryNamesARunnableProgram) {
    ApplicationFolders folders;
    EXPECT_FALSE(ExternalEditor::isInstalled());
    EXPECT_FALSE(ExternalEditor::open("/p/a.jpg"));

    const QString program = folders.recorder("darkroom");
    const QByteArray exec = "Exec=" + QFile::encodeName(program) + " %f\n";
    folders.install("system", "[Desktop Entry]\nType=Application\nName=Darkroom\n" + exec);
    EXPECT_TRUE(ExternalEditor::isInstalled());

    // The user's own copy hides the system one: then there is no editor.
    folders.install("home", "[Desktop Entry]\nType=Application\nHidden=true\n" + exec);
    EXPECT_FALSE(ExternalEditor::isInstalled());
    folders.install("home",
                    "[Desktop Entry]\nType=Application\nTryExec=/nonexistent/darkroom\n" + exec);
    EXPECT_FALSE(ExternalEditor::isInstalled());
    folders.install("home", "[Desktop Entry]\nType=Link\nURL=https://example.org\n" + exec);
    EXPECT_FALSE(ExternalEditor::isInstalled());
    folders.install("home", "[Desktop Entry]\nType=Application\nExec=fennic-no-such-editor %f\n");
    EXPECT_FALSE(ExternalEditor::isInstalled());
    EXPECT_FALSE(ExternalEditor::open("/p/a.jpg"));

    // A program name is looked up on PATH, as TryExec is.
    folders.environment().set("PATH",
                              QFile::encodeName(folders.path("bin")) + ":" + qgetenv("PATH"));
    folders.install("home",
                    "[Desktop Entry]\nType=Application\nTryExec=darkroom\nExec=darkroom %f\n");
    EXPECT_TRUE(ExternalEditor::isInstalled());
    // Removed meanwhile: asked afresh, it is gone.
    QFile::remove(folders.path("home/applications/darkroom.desktop"));
    QFile::remove(folders.path("system/applications/darkroom.desktop"));
    EXPECT_FALSE(ExternalEditor::isInstalled());
}

TEST(ExternalEditor, OpensTheFileAsOneArgumentWithoutAShell) {
    ApplicationFolders folders;
    const QString program = folders.recorder("dark room");
    QDir().mkpath(folders.path("work"));
    // Quoted as the desktop entry rules want for a path with a space.
    folders.install("home", "[Desktop Entry]\nType=Application\nName=Darkroom\nExec=\"" +
                                QFile::encodeName(program) + "\" --edit %f --from %c\nPath=" +
                                QFile::encodeName(folders.path("work")) + "\n");
    ASSERT_TRUE(ExternalEditor::isInstalled());

    const QString file =
        folders.path("pics/it's a \"test\" $(touch pwned) `touch pwned2`; & 100%.jpg");
    writeFile(file, "image");
    ASSERT_TRUE(ExternalEditor::open(file));
    EXPECT_EQ(recordedArguments(program), QStringList({"--edit", file, "--from", "Darkroom"}));
    QFile cwd(program + ".cwd");
    ASSERT_TRUE(cwd.open(QIODevice::ReadOnly));
    EXPECT_EQ(cwd.readAll().trimmed(), QFile::encodeName(folders.path("work")));
    EXPECT_FALSE(QFile::exists(folders.path("work/pwned")));
    EXPECT_FALSE(QFile::exists(folders.path("work/pwned2")));
    EXPECT_EQ(QDir(folders.path("work")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());

    // No field code: the file goes last; a relative name is made absolute.
    QFile::remove(program + ".args");
    folders.install("home", "[Desktop Entry]\nType=Application\nExec=\"" +
                                QFile::encodeName(program) + "\" --new\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folders.path("pics"));
    const bool started = ExternalEditor::open("-rf.jpg");
    QDir::setCurrent(previous);
    ASSERT_TRUE(started);
    EXPECT_EQ(recordedArguments(program), QStringList({"--new", folders.path("pics/-rf.jpg")}));
}
