#include "dialogs/UpdateDialog.h"

#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

UpdateCheckResult newerRelease() {
    UpdateCheckResult result;
    result.status = UpdateCheckResult::Status::UpdateAvailable;
    result.currentVersion = "0.1.0";
    result.newest.title = "Fennic 0.2";
    result.newest.shortVersionString = "0.2";
    result.newest.description =
        "<p>Faster <b>raw</b> files</p><img src=\"file:///etc/passwd\"><script>x()</script>";
    result.newest.link = QUrl("https://example.org/releases/0.2?a=1&b=2");
    return result;
}

TEST(UpdateDialog, SaysWhatTheCheckFoundInItsOwnWords) {
    UpdateCheckResult result;
    result.currentVersion = "0.1.0";
    result.status = UpdateCheckResult::Status::UpToDate;
    EXPECT_EQ(updateHeadline(result), "Fennic is up to date (version 0.1.0)");
    result.status = UpdateCheckResult::Status::Failed;
    result.error = "the server answered 404 Not Found";
    EXPECT_EQ(updateHeadline(result), "The update check failed: the server answered 404 Not Found");
    EXPECT_EQ(updateHeadline(newerRelease()), "Fennic 0.2 is available (you have version 0.1.0)");
}

TEST(UpdateDialog, ShowsNotesAsTextAndOpensTheLinkOnlyWhenClicked) {
    QList<QUrl> opened;
    UpdateDialog dialog([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    EXPECT_EQ(dialog.headline(), "Checking for updates…");
    dialog.show();
    dialog.showResult(newerRelease());
    EXPECT_EQ(dialog.headline(), "Fennic 0.2 is available (you have version 0.1.0)");
    // HTML notes become text: no markup, nothing loaded.
    EXPECT_TRUE(dialog.notes().startsWith("Fennic 0.2\n\nFaster raw files"))
        << dialog.notes().toStdString();
    EXPECT_FALSE(dialog.notes().contains('<'));
    auto* notes = dialog.findChild<QPlainTextEdit*>("notes");
    ASSERT_TRUE(notes);
    EXPECT_FALSE(notes->isHidden());
    EXPECT_TRUE(opened.isEmpty());

    auto* link = dialog.findChild<QLabel*>("link");
    ASSERT_TRUE(link);
    EXPECT_FALSE(link->isHidden());
    EXPECT_TRUE(link->text().contains("&amp;b=2")) << link->text().toStdString();
    Q_EMIT link->linkActivated(link->text());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl("https://example.org/releases/0.2?a=1&b=2"));

    // Up to date afterwards: no notes, no link.
    UpdateCheckResult same;
    same.status = UpdateCheckResult::Status::UpToDate;
    same.currentVersion = "0.2";
    dialog.showResult(same);
    EXPECT_TRUE(notes->isHidden());
    EXPECT_TRUE(link->isHidden());
    EXPECT_TRUE(dialog.link().isEmpty());
}

TEST(UpdateDialog, ACheckOfAnAddressThatIsNoWebAddressFailsInTheDialog) {
    UpdateDialog* dialog = UpdateDialog::checkNow(QUrl("ftp://example.org/appcast.xml"), "0.1.0");
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(dialog->headline(),
              "The update check failed: the feed address 'ftp://example.org/appcast.xml' is not "
              "an http or https address");
    EXPECT_TRUE(dialog->testAttribute(Qt::WA_DeleteOnClose));
    delete dialog;
}

} // namespace
