// Notifications and the file-manager reveal against fake-desktop-services on
// a private bus of their own, and against no service at all.
#include "desktop/apps/FileManagerReveal.h"
#include "desktop/bus/DesktopNotifications.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Generous: a loaded machine may be slow, and nothing here is timed.
constexpr int answerWaitMs = 15000;

// A dbus-daemon of the test's own. Its configuration names no service
// folders, so no notification server or file manager installed on the
// machine can be started by activation.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = m_dir.filePath("bus.conf");
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(m_dir.path())
                .toUtf8());
        file.close();
        m_daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(answerWaitMs))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_name = QStringLiteral("fennic-test-bus-%1").arg(quintptr(this));
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(m_name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString address() const { return m_address; }
    QDBusConnection connection() const { return QDBusConnection::connectToBus(m_address, m_name); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_name;
};

// fake-desktop-services on a bus, with its call log.
class FakeServices {
public:
    FakeServices(const QString& busAddress, const QStringList& options) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
        m_process.setProcessEnvironment(environment);
        m_process.start(FAKE_DESKTOP_SERVICES, QStringList{logPath()} + options);
        m_ready =
            m_process.waitForReadyRead(answerWaitMs) && m_process.readLine().trimmed() == "ready";
    }
    ~FakeServices() {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool ready() const { return m_ready; }
    QString logPath() const { return m_dir.filePath("calls.log"); }
    QStringList lines() const {
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QStringList linesStartingWith(const QString& method) const {
        return lines().filter(QRegularExpression('^' + method + "(\t|$)"));
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_ready = false;
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

// Posts once and waits for the answer; what went to stdout comes back too.
struct PostOutcome {
    std::optional<bool> shown;
    std::string printed;
};

// A connection that never reaches a bus, whatever the machine offers.
QDBusConnection noBus() {
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                         QStringLiteral("fennic-test-no-bus"));
}

PostOutcome postAndWait(const QDBusConnection& bus, int delayMs = 0) {
    DesktopNotifications notifications(bus);
    PostOutcome outcome;
    QObject::connect(&notifications, &DesktopNotifications::finished,
                     [&](bool shown) { outcome.shown = shown; });
    testing::internal::CaptureStdout();
    notifications.post("Fennic", "Image converted successfully", delayMs);
    if (!QTest::qWaitFor([&] { return outcome.shown.has_value(); }, answerWaitMs))
        ADD_FAILURE() << "the notification was never answered";
    outcome.printed = testing::internal::GetCapturedStdout();
    return outcome;
}

std::optional<RevealRoute> revealAndWait(const QString& path, const QDBusConnection& bus) {
    std::optional<RevealRoute> route;
    auto* reveal = new FileManagerReveal(path, bus);
    QObject::connect(reveal, &FileManagerReveal::finished, [&](RevealRoute r) { route = r; });
    reveal->start();
    if (!QTest::qWaitFor([&] { return route.has_value(); }, answerWaitMs))
        ADD_FAILURE() << "the reveal never finished";
    return route;
}

} // namespace

TEST(DesktopServices, NotificationsReachTheServerWithTheApplicationsNames) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    FakeServices fake(bus.address(), {});
    ASSERT_TRUE(fake.ready());

    const PostOutcome outcome = postAndWait(bus.connection(), 20);
    ASSERT_TRUE(outcome.shown.has_value()) << "no answer";
    EXPECT_TRUE(*outcome.shown);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_EQ(fake.linesStartingWith("Notify"),
              QStringList{"Notify\tFennic\tFennic\tImage converted successfully\t"
                          "org.fennic.Fennic\torg.fennic.Fennic"});

    // The delay passes on the event loop: post() returns at once.
    DesktopNotifications notifications(bus.connection());
    int answers = 0;
    QObject::connect(&notifications, &DesktopNotifications::finished, [&] { ++answers; });
    notifications.post("Fennic", "There was a problem. Fennic couldn't convert the image", 200);
    EXPECT_EQ(answers, 0);
    EXPECT_EQ(fake.linesStartingWith("Notify").size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 1; }, answerWaitMs));
    EXPECT_TRUE(fake.linesStartingWith("Notify").last().endsWith(
        "\tThere was a problem. Fennic couldn't convert the image\torg.fennic.Fennic\t"
        "org.fennic.Fennic"));
}

TEST(DesktopServices, WithoutAServerNothingIsShownOrPrinted) {
    const PostOutcome withoutBus = postAndWait(noBus());
    ASSERT_TRUE(withoutBus.shown.has_value());
    EXPECT_FALSE(*withoutBus.shown);
    EXPECT_EQ(withoutBus.printed, "");

    // A bus on which only a file manager runs.
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeServices fake(bus.address(), {"--file-manager-only"});
    ASSERT_TRUE(fake.ready());
    const PostOutcome noServer = postAndWait(bus.connection());
    ASSERT_TRUE(noServer.shown.has_value());
    EXPECT_FALSE(*noServer.shown);
    EXPECT_EQ(noServer.printed, "");
    EXPECT_TRUE(fake.lines().isEmpty());
}

TEST(DesktopServices, ARefusedNotificationIsReportedOnStdout) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeServices fake(bus.address(), {"--notifications-only", "--fail-notify"});
    ASSERT_TRUE(fake.ready());

    const PostOutcome outcome = postAndWait(bus.connection());
    ASSERT_TRUE(outcome.shown.has_value());
    EXPECT_FALSE(*outcome.shown);
    EXPECT_EQ(outcome.printed, "requesting notifications error\n");
    EXPECT_EQ(fake.linesStartingWith("Notify").size(), 1);
}

TEST(DesktopServices, RevealSelectsTheFileInTheFileManager) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeServices fake(bus.address(), {"--file-manager-only"});
    ASSERT_TRUE(fake.ready());
    OpenedUrls opened;

    const QString path = "/pictures/summer 100%/a#1.jpg";
    EXPECT_EQ(revealAndWait(path, bus.connection()), RevealRoute::FileManager);
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    EXPECT_EQ(uri, "file:///pictures/summer%20100%25/a%231.jpg");
    EXPECT_EQ(fake.linesStartingWith("ShowItems"), QStringList{"ShowItems\t" + uri});
    EXPECT_TRUE(opened.urls.isEmpty());

    // The plain function takes the same way.
    revealInFileManager("/pictures/b.jpg", bus.connection());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fake.linesStartingWith("ShowItems").size() == 2; },
                                answerWaitMs));
    EXPECT_EQ(fake.linesStartingWith("ShowItems").last(), "ShowItems\tfile:///pictures/b.jpg");
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST(DesktopServices, WithoutAFileManagerTheFolderIsOpened) {
    OpenedUrls opened;
    EXPECT_EQ(revealAndWait("/pictures/a.jpg", noBus()), RevealRoute::OpenFolder);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile("/pictures")});

    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeServices fake(bus.address(), {"--notifications-only"});
    ASSERT_TRUE(fake.ready());
    revealInFileManager("/pictures/odd name/b.jpg", bus.connection());
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.urls.size() == 2; }, answerWaitMs));
    EXPECT_EQ(opened.urls.value(1), QUrl::fromLocalFile("/pictures/odd name"));
    EXPECT_TRUE(fake.lines().isEmpty());
}

TEST(DesktopServices, HungServicesNeverHoldTheCallerUp) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeServices fake(bus.address(), {"--no-reply"});
    ASSERT_TRUE(fake.ready());
    OpenedUrls opened;

    // Both calls return at once and are answered by their timeouts, while
    // the event loop keeps running.
    DesktopNotifications notifications(bus.connection());
    std::optional<bool> shown;
    QObject::connect(&notifications, &DesktopNotifications::finished, [&](bool s) { shown = s; });
    testing::internal::CaptureStdout();
    notifications.post("Fennic", "Image converted successfully", 0);
    revealInFileManager("/pictures/a.jpg", bus.connection());
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    EXPECT_FALSE(shown.has_value());
    EXPECT_TRUE(opened.urls.isEmpty());

    EXPECT_TRUE(
        QTest::qWaitFor([&] { return shown.has_value() && !opened.urls.isEmpty(); }, answerWaitMs));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(shown, false);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile("/pictures")});
    EXPECT_GT(ticks, 5) << "the event loop was held up";
    EXPECT_EQ(fake.linesStartingWith("GetServerInformation").size(), 1);
    EXPECT_EQ(fake.linesStartingWith("ShowItems").size(), 1);
}

#include "DesktopServices_test.moc"
