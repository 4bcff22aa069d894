// Test entry point: a QApplication on the offscreen platform, with every XDG
// folder pointed into a private temporary directory so that no test ever
// reads or writes the developer's own settings, recent files or Trash.
#include "desktop/FirstPicture.h"
#include "support/ImageFixtures.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray root = home.path().toUtf8();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_DOCUMENTS_DIR", root + "/Documents");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    // The tests' program lives apart from the network module it opens.
    qputenv("FENNIC_MODULE_DIR", FENNIC_MODULE_DIR);
    // Maps never reach a real tile server: nothing listens on this port.
    if (!QDir().mkpath(home.path() + "/config/fennic") ||
        !ImageFixtures::writeFile(
            home.path() + "/config/fennic/fennic.conf",
            "[General]\nmapTileTemplate=http://127.0.0.1:9/{z}/{x}/{y}.png\n"))
        return 2;

    QApplication app(argc, argv);
    // No start-up to keep free: work that waits for the first picture runs.
    FirstPicture::stopWaiting();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
