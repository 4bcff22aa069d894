#include "dialogs/UpdateDialog.h"

#include "desktop/updates/UpdateChecker.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

QString updateHeadline(const UpdateCheckResult& result) {
    switch (result.status) {
    case UpdateCheckResult::Status::UpToDate:
        return QStringLiteral("Fennic is up to date (version %1)").arg(result.currentVersion);
    case UpdateCheckResult::Status::UpdateAvailable:
        return QStringLiteral("Fennic %1 is available (you have version %2)")
            .arg(result.newest.displayVersion(), result.currentVersion);
    case UpdateCheckResult::Status::Failed:
        break;
    }
    return QStringLiteral("The update check failed: %1").arg(result.error);
}

QString releaseNotesText(const AppcastItem& item) {
    QString text = QTextDocumentFragment::fromHtml(item.description).toPlainText();
    // Images become placeholders in the text; there is nothing to show for them.
    text.remove(QChar::ObjectReplacementCharacter);
    text = text.trimmed();
    if (!item.title.isEmpty() && !text.startsWith(item.title))
        text = text.isEmpty() ? item.title : item.title + QStringLiteral("\n\n") + text;
    return text;
}

UpdateDialog::UpdateDialog(UrlOpener opener, QWidget* parent)
    : QDialog(parent), m_opener(opener ? std::move(opener) : UrlOpener(&QDesktopServices::openUrl)),
      m_headline(new QLabel(QStringLiteral("Checking for updates…"), this)),
      m_notes(new QPlainTextEdit(this)), m_linkLabel(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Check for Updates"));
    m_headline->setObjectName(QStringLiteral("headline"));
    m_headline->setWordWrap(true);
    m_headline->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_headline->font();
    bold.setBold(true);
    m_headline->setFont(bold);

    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setReadOnly(true);
    m_notes->hide();

    m_linkLabel->setObjectName(QStringLiteral("link"));
    m_linkLabel->setTextFormat(Qt::RichText);
    m_linkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
    m_linkLabel->setOpenExternalLinks(false);
    m_linkLabel->hide();
    connect(m_linkLabel, &QLabel::linkActivated, this, [this] {
        if (!m_link.isEmpty())
            m_opener(m_link);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_headline);
    layout->addWidget(m_notes, 1);
    layout->addWidget(m_linkLabel);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

UpdateDialog* UpdateDialog::checkNow(const QUrl& feed, const QString& currentVersion) {
    auto* dialog = new UpdateDialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Without a feed there is nothing to ask; say so rather than fail.
    if (feed.isEmpty()) {
        dialog->m_headline->setText(
            QStringLiteral("No update feed is set, so Fennic cannot check for updates"));
        return dialog;
    }
    // Owned by the dialog: closing it abandons the check.
    auto* checker = new UpdateChecker(UpdateChecker::defaultTimeoutMs, dialog);
    connect(checker, &UpdateChecker::finished, dialog, &UpdateDialog::showResult);
    checker->check(feed, currentVersion);
    return dialog;
}

void UpdateDialog::showResult(const UpdateCheckResult& result) {
    m_headline->setText(updateHeadline(result));
    const bool newer = result.status == UpdateCheckResult::Status::UpdateAvailable;
    const QString notes = newer ? releaseNotesText(result.newest) : QString();
    m_notes->setPlainText(notes);
    m_notes->setVisible(!notes.isEmpty());
    m_link = newer ? result.newest.moreInformation() : QUrl();
    if (m_link.isEmpty()) {
        m_linkLabel->clear();
        m_linkLabel->hide();
    } else {
        m_linkLabel->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(QString::fromUtf8(m_link.toEncoded()).toHtmlEscaped(),
                                      m_link.toDisplayString().toHtmlEscaped()));
        m_linkLabel->show();
    }
    adjustSize();
}

QString UpdateDialog::headline() const {
    return m_headline->text();
}

QString UpdateDialog::notes() const {
    return m_notes->toPlainText();
}
