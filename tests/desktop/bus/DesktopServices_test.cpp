// Notifications and the file-manager reveal against fake-desktop-services on
// a private bus of their own, and against no service at all. What a working
// service receives is read in the end-to-end operations test.
#include "desktop/apps/FileManagerReveal.h"
#include "desktop/bus/ApplicationBus.h"
#include "desktop/bus/DesktopNotifications.h"
#include "desktop/bus/EarlyHandOver.h"
#include "support/ImageFixtures.h"

#include <QDesktopServices>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Generous: a loaded machine may be slow, and nothing here is timed.
constexpr int answerWaitMs = 15000;
// For services that never answer: short, so that the test does not wait.
constexpr int hungTimeoutMs = 500;

// A dbus-daemon of the test's own, optionally with fake-desktop-services on
// it. Its configuration names no service folders, so no notification server
// or file manager installed on the machine can be started by activation.
class PrivateBus {
public:
    explicit PrivateBus(std::optional<QStringList> fakeOptions = std::nullopt) {
        const QString config = m_dir.filePath("bus.conf");
        ImageFixtures::writeFile(
            config,
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(m_dir.path())
                .toUtf8());
        m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(answerWaitMs))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (fakeOptions && !m_address.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
            m_fake.setProcessEnvironment(environment);
            m_fake.start(FAKE_DESKTOP_SERVICES, QStringList{logPath()} + *fakeOptions);
            if (!m_fake.waitForReadyRead(answerWaitMs) || m_fake.readLine().trimmed() != "ready")
                m_address.clear();
        }
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(m_name);
        for (QProcess* process : {&m_fake, &m_daemon}) {
            process->kill();
            process->waitForFinished();
        }
    }
    // Empty when the bus or the fake services did not start.
    QString address() const { return m_address; }
    QDBusConnection connection() const { return QDBusConnection::connectToBus(m_address, m_name); }
    // The fake services' calls of the given method, as fake-desktop-services logs them.
    QStringList calls(const QString& method) const {
        return QString::fromUtf8(ImageFixtures::readFile(logPath()))
            .split('\n', Qt::SkipEmptyParts)
            .filter(QRegularExpression('^' + method + "(\t|$)"));
    }

private:
    QString logPath() const { return m_dir.filePath("calls.log"); }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_fake;
    QString m_address;
    const QString m_name = QStringLiteral("fennic-test-bus-%1").arg(quintptr(this));
};

// Takes the file: URLs that the fallback hands to QDesktopServices, so that
// no real file manager is started by a test.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

// A connection that never reaches a bus, whatever the machine offers.
QDBusConnection noBus() {
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                         QStringLiteral("fennic-test-no-bus"));
}

// Posts once and waits for the answer: whether it was shown.
std::optional<bool> postAndWait(const QDBusConnection& bus) {
    DesktopNotifications notifications(bus);
    std::optional<bool> shown;
    QObject::connect(&notifications, &DesktopNotifications::finished, [&](bool s) { shown = s; });
    notifications.post("Fennic", "Image converted successfully", 0);
    EXPECT_FALSE(shown.has_value()); // answered on the event loop
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.has_value(); }, answerWaitMs));
    return shown;
}

} // namespace

TEST(DesktopServices, WithoutAServiceNothingIsShownAndTheFolderIsOpened) {
    PrivateBus empty;
    PrivateBus refusing(QStringList{"--notifications-only", "--fail-notify"});
    ASSERT_FALSE(empty.address().isEmpty() || refusing.address().isEmpty());
    OpenedUrls opened;
    for (const QDBusConnection& bus : {noBus(), empty.connection(), refusing.connection()})
        revealInFileManager("/pictures/odd name/a.jpg", bus);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.urls.size() == 3; }, answerWaitMs));
    EXPECT_EQ(opened.urls, QList<QUrl>(3, QUrl::fromLocalFile("/pictures/odd name")));
    for (const QDBusConnection& bus : {noBus(), empty.connection(), refusing.connection()})
        EXPECT_EQ(postAndWait(bus), std::optional(false));
    EXPECT_EQ(refusing.calls("Notify").size(), 1);
}

TEST(DesktopServices, HungServicesNeverHoldTheCallerUp) {
    PrivateBus bus(QStringList{"--no-reply"});
    ASSERT_FALSE(bus.address().isEmpty());
    OpenedUrls opened;
    // Both calls return at once and are answered by their timeouts, while
    // the event loop keeps running.
    DesktopNotifications notifications(bus.connection(), hungTimeoutMs);
    std::optional<bool> shown;
    QObject::connect(&notifications, &DesktopNotifications::finished, [&](bool s) { shown = s; });
    notifications.post("Fennic", "Image converted successfully", 0);
    revealInFileManager("/pictures/summer 100%/a#1.jpg", bus.connection(), hungTimeoutMs);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(hungTimeoutMs / 20);
    EXPECT_FALSE(shown.has_value());
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shown.has_value() && !opened.urls.isEmpty(); }, answerWaitMs));
    EXPECT_EQ(shown, false);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile("/pictures/summer 100%")});
    EXPECT_GT(ticks, 5) << "the event loop was held up";
    EXPECT_EQ(bus.calls("GetServerInformation").size(), 1);
    EXPECT_EQ(bus.calls("ShowItems"),
              QStringList{"ShowItems\tfile:///pictures/summer%20100%25/a%231.jpg"});
}

// A later launch's hand-over, before it has a Qt application: taken by the
// running instance, refused when none runs, given up on when it hangs.
TEST(EarlyHandOver, GivesTheFilesToTheRunningInstanceOnlyWhenItAnswers) {
    using EarlyHandOver::Outcome;
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    EXPECT_EQ(EarlyHandOver::forward({"/pictures/a.png"}, answerWaitMs), Outcome::NotRunning);

    ApplicationBus running;
    ASSERT_TRUE(running.claim());
    QStringList opened;
    QObject::connect(&running, &ApplicationBus::openRequested,
                     [&](const QStringList& paths) { opened = paths; });
    QFuture<Outcome> handOver = QtConcurrent::run(
        [] { return EarlyHandOver::forward({"/pictures/summer 100%/a#1.png"}, answerWaitMs); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, answerWaitMs));
    EXPECT_EQ(handOver.result(), Outcome::Forwarded);
    EXPECT_EQ(opened, QStringList{"/pictures/summer 100%/a#1.png"});
    // The instance's event loop is held here: it cannot answer.
    EXPECT_EQ(EarlyHandOver::forward({"/pictures/a.png"}, hungTimeoutMs), Outcome::Unanswered);
}

#include "DesktopServices_test.moc"
