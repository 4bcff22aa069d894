#pragma once

#include "desktop/updates/UpdateCheck.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPlainTextEdit;

// The answer to "Check for Updates…": checking, up to date, a newer release
// with its notes and a link, or why the check failed. The link opens in the
// browser only when the user clicks it; nothing is downloaded here.
class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    // opener defaults to the desktop's browser.
    explicit UpdateDialog(UrlOpener opener = {}, QWidget* parent = nullptr);

    // A dialog that deletes itself when closed, with a check of feed already
    // running in it; with no feed it only says that none is set.
    static UpdateDialog* checkNow(const QUrl& feed, const QString& currentVersion);

    void showResult(const UpdateCheckResult& result);

    QString headline() const;
    QString notes() const; // plain text; empty when there are none
    QUrl link() const { return m_link; }

private:
    UrlOpener m_opener;
    QLabel* m_headline;
    QPlainTextEdit* m_notes;
    QLabel* m_linkLabel;
    QUrl m_link;
};

// The dialog's first line for a result.
QString updateHeadline(const UpdateCheckResult& result);
// Release notes as plain text: feeds give them as HTML, which is shown as
// text so that nothing in it is fetched or run.
QString releaseNotesText(const AppcastItem& item);
