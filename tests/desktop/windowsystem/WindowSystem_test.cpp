#include "desktop/windowsystem/StartupScreen.h"
#include "desktop/windowsystem/WindowSystem.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool usesX11(const QMap<QByteArray, QByteArray>& variables) {
    return WindowSystem::startupUsesX11(
        [&](const char* name) { return variables.value(QByteArray(name)); });
}

TEST(WindowSystemTest, StartupPicksTheWindowSystemAsQtWill) {
    // An X session, and an X server beside a Wayland compositor.
    EXPECT_TRUE(usesX11({{"DISPLAY", ":0"}}));
    EXPECT_TRUE(usesX11({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}));
    EXPECT_FALSE(usesX11(
        {{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}}));
    // Qt 6.4 stays on X11 in a GNOME Wayland session.
    EXPECT_TRUE(usesX11({{"DISPLAY", ":0"},
                         {"XDG_SESSION_TYPE", "wayland"},
                         {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}));
    // The platform named by the user wins, first entry of a list.
    EXPECT_FALSE(usesX11({{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}));
    EXPECT_FALSE(usesX11({{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland;xcb"}}));
    EXPECT_TRUE(usesX11(
        {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb;wayland"}, {"XDG_SESSION_TYPE", "wayland"}}));
    EXPECT_FALSE(usesX11({{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}));
    // No display at all.
    EXPECT_FALSE(usesX11({}));
    EXPECT_FALSE(usesX11({{"QT_QPA_PLATFORM", "xcb"}}));
}

TEST(WindowSystemTest, AvailableAreaLeavesRoomForPanelsOnlyWhereTheScreenDoesNotTell) {
    const QRect screen(0, 0, 1440, 900);
    // The window system knows its panels: its answer stands.
    EXPECT_EQ(WindowSystem::availableArea(screen, QRect(0, 32, 1440, 868), true),
              QRect(0, 32, 1440, 868));
    EXPECT_EQ(WindowSystem::availableArea(screen, screen, true), screen);
    // Wayland: every screen reads as free; a panel's worth is kept clear.
    EXPECT_EQ(WindowSystem::availableArea(screen, screen, false),
              QRect(0, 32, 1440, 900 - WindowSystem::unknownPanelsHeight));
    // A compositor that does report a work area is believed.
    EXPECT_EQ(WindowSystem::availableArea(screen, QRect(0, 0, 1440, 852), false),
              QRect(0, 0, 1440, 852));
    // A tiny screen is left whole.
    EXPECT_EQ(WindowSystem::availableArea(QRect(0, 0, 200, 100), QRect(0, 0, 200, 100), false),
              QRect(0, 0, 200, 100));
}

} // namespace

TEST(StartupScreen, TheConnectionThatReadTheSizeStaysUntilTheApplicationHasItsOwn) {
    // With -terminate the server exits when its last client leaves, where a
    // server without -noreset resets and refuses the application's connection.
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-terminate", "-nolisten", "tcp",
                                          "-screen", "0", "1234x567x24"});
    ASSERT_TRUE(server.waitForStarted()) << "Xvfb is needed for this test";
    ASSERT_TRUE(server.waitForReadyRead(10000));
    const QByteArray display = ':' + server.readAllStandardOutput().trimmed();
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM"), oldDisplay = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", display);

    // The size is kept for the next start, on X11 only.
    QTemporaryDir cache;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    EXPECT_FALSE(rememberedScreenSize().isValid());
    refreshRememberedScreenSize();
    EXPECT_EQ(rememberedScreenSize(), QSize(1234, 567));
    EXPECT_EQ(startupDecodeTarget(), QSize(1234, 567));
    qputenv("QT_QPA_PLATFORM", "wayland");
    EXPECT_FALSE(rememberedScreenSize().isValid());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("XDG_CACHE_HOME", oldCache);

    EXPECT_FALSE(server.waitForFinished(300));
    releaseStartupConnection();
    EXPECT_TRUE(server.waitForFinished(5000));

    qputenv("QT_QPA_PLATFORM", platform);
    qputenv("DISPLAY", oldDisplay);
    if (server.state() != QProcess::NotRunning)
        server.kill();
    server.waitForFinished();
}
