// A viewer as the program opens it: a settings file of its own, an
// application delegate, and files opened into windows whose first picture
// is on screen.
#pragma once

#include "app/AppDelegate.h"
#include "app/PreviewWindowController.h"
#include "desktop/settings/SettingsStore.h"
#include "support/ImageFixtures.h"
#include "viewer/view/Home.h"
#include "window/WindowFit.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

class ViewerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(config.filePath("fennic.conf"));
    }
    void TearDown() override {
        delegate.reset();
        qDeleteAll(QApplication::topLevelWidgets());
    }

    // A file of the test's folder.
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    // A picture of one colour in the test's folder.
    void writeImage(const QString& name, QSize size, QColor colour) const {
        ASSERT_TRUE(ImageFixtures::filled(size, colour).save(path(name)));
    }

    AppDelegate& app() {
        if (!delegate)
            delegate = std::make_unique<AppDelegate>(store.get());
        return *delegate;
    }
    // Opens a file (a name in the folder, or a whole path) as the desktop
    // would, and waits until its window shows the picture. Without a window
    // the test ends at once: the exception fails it.
    Home* open(const QString& name) {
        const QString file = QDir::isAbsolutePath(name) ? name : path(name);
        app().openFile(file);
        Home* home = app().windows().viewer(app().windows().currentKey());
        if (!home)
            throw std::runtime_error("no window for " + file.toStdString());
        QSignalSpy loaded(home, &Home::imageLoaded);
        EXPECT_TRUE(loaded.wait(5000)) << qPrintable(file);
        return home;
    }
    // In the home Trash: the test main's, as each test runs in a process of its own.
    static QString trashed(const QString& name = QString()) {
        return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/" + name;
    }
    QWidget* windowOf(const Home* home) { return app().windows().window(home->uuid()); }
    WindowFit& fitOf(const Home* home) { return app().windows().controller(home->uuid())->fit(); }
    // Steps and waits for the next picture.
    void step(Home* home, bool forward) {
        QSignalSpy loaded(home, &Home::imageLoaded);
        forward ? home->stepToNext() : home->stepToPrevious();
        ASSERT_TRUE(loaded.wait(5000));
    }

    QTemporaryDir config;
    QTemporaryDir folder;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<AppDelegate> delegate;
};
