#include "dialogs/UpdateDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
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
    EXPECT_EQ(dialog.headline(), "Fennic is up to date (version 0.2)");
    EXPECT_TRUE(notes->isHidden());
    EXPECT_TRUE(link->isHidden());
    EXPECT_TRUE(dialog.link().isEmpty());
}

} // namespace
