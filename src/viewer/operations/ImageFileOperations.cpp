#include "viewer/operations/ImageFileOperations.h"

#include "desktop/Diagnostics.h"
#include "desktop/apps/ExternalEditor.h"
#include "desktop/apps/FileManagerReveal.h"
#include "desktop/bus/DesktopNotifications.h"
#include "desktop/printing/PrintDialog.h"
#include "desktop/trash/Trash.h"
#include "imageio/write/FileWriteQueue.h"
#include "imageio/write/ImageConversion.h"
#include "imageio/write/ImageFileType.h"
#include "imageio/write/ImageRotation.h"
#include "viewer/ViewObserver.h"
#include "viewer/ViewerHost.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/operations/DeletionHistory.h"
#include "viewer/operations/PrintFile.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace {

QString quoted(const QString& path) {
    return QStringLiteral("“%1”").arg(QFileInfo(path).fileName());
}

// True for anything at path, a dangling symbolic link included.
bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Runs write unless the file is no longer the version expected, checked
// right before it (the race left is the write's own); check says what was
// found.
template <typename Write>
FileWriteResult ifUnchanged(ExpectedVersion& version, const QString& path, SourceCheck& check,
                            Write write) {
    check = version.check(path);
    if (check == SourceCheck::Unchanged)
        return write();
    FileWriteResult refused;
    refused.error = check == SourceCheck::Gone
                        ? QStringLiteral("the original file is gone (moved or deleted while it "
                                         "was shown)")
                        : QStringLiteral("the file changed on disk since it was shown");
    return refused;
}

} // namespace

ImageFileOperations::ImageFileOperations(ViewerHost& host, ViewObserver& observer, QWidget* window)
    : QObject(window), m_host(host), m_observer(observer), m_window(window) {}

bool ImageFileOperations::handles(WindowCommand command) {
    switch (command) {
    case WindowCommand::deleteImage:
    case WindowCommand::undoDelete:
    case WindowCommand::askToDelete:
    case WindowCommand::openDarkroom:
    case WindowCommand::showInFinder:
    case WindowCommand::printImage:
    case WindowCommand::convertImage:
        return true;
    default:
        return false;
    }
}

bool ImageFileOperations::perform(WindowCommand command, const QString& path,
                                  const FileIdentity& shown, const QString& folder,
                                  const QVariantMap& userInfo) {
    switch (command) {
    case WindowCommand::deleteImage:
        trash(path);
        return true;
    case WindowCommand::askToDelete:
        askToDelete(path);
        return true;
    case WindowCommand::undoDelete:
        undoDelete();
        return true;
    case WindowCommand::openDarkroom:
        return openInEditor(path);
    case WindowCommand::showInFinder:
        reveal(path);
        return true;
    case WindowCommand::printImage:
        print(path);
        return true;
    case WindowCommand::convertImage:
        if (const auto extension = windowcommands::valueOf(userInfo)) {
            m_observer.setSelectedExtension(*extension);
            convert(path, *extension, folder, shown);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool ImageFileOperations::refused(SourceCheck check, const QString& path, const QString& what) {
    if (check != SourceCheck::Replaced)
        return false;
    const QString note =
        QStringLiteral("%1 was not %2: the file changed on disk since it was shown, and is shown "
                       "as it is now")
            .arg(quoted(path), what);
    printDiagnostic(note);
    Q_EMIT noteRequested(note);
    Q_EMIT fileReplaced(path);
    return true;
}

void ImageFileOperations::writeTurn(const QString& path, int quarterTurns,
                                    const FileIdentity& shown) {
    // The path, the turn and the version to find are captured now: a step
    // meanwhile cannot mix one file with another.
    const auto version = m_versions.forPicture(path, shown);
    const auto check = std::make_shared<SourceCheck>();
    m_host.fileWrites().enqueue(
        [path, quarterTurns, version, check] {
            return ifUnchanged(*version, path, *check, [&] {
                const FileWriteResult result = rotateImageFile(path, quarterTurns);
                version->followWrite(path);
                return result;
            });
        },
        this,
        [this, path, check](const FileWriteResult& result) {
            // What is decoded next comes from the file as it is now.
            m_host.imageCache().remove(path);
            if (!refused(*check, path, QStringLiteral("turned")) && !result.ok) {
                printDiagnostic(QStringLiteral("rotation not written: ") + result.error);
                Q_EMIT noteRequested(
                    QStringLiteral("%1 could not be written: %2").arg(quoted(path), result.error));
                Q_EMIT turnNotWritten(path, result.error);
            }
            Q_EMIT fileWritten(path, result.ok);
        });
}

void ImageFileOperations::convert(const QString& path, const QString& extension,
                                  const QString& folder, const FileIdentity& shown) {
    const QString base = QFileInfo(path).completeBaseName();
    const ImageFileType type = fileTypeForExtension(extension);
    m_observer.setConvertStatus(ConvertStatus::PROGRESS);
    // Off the main thread, after any turn of this file still being written.
    const auto version = m_versions.forPicture(path, shown);
    const auto check = std::make_shared<SourceCheck>();
    m_host.fileWrites().enqueue(
        [path, base, type, folder, version, check] {
            return ifUnchanged(*version, path, *check,
                               [&] { return saveImageCopy(path, base, type, folder); });
        },
        this,
        [this, path, check](const FileWriteResult& result) {
            if (!refused(*check, path, QStringLiteral("converted")) && !result.ok) {
                printDiagnostic(QStringLiteral("conversion failed: ") + result.error);
                Q_EMIT noteRequested(QStringLiteral("%1 could not be converted: %2")
                                         .arg(quoted(path), result.error));
            }
            m_host.desktopNotifications().post(
                QStringLiteral("Fennic"),
                result.ok
                    ? QStringLiteral("Image converted successfully")
                    : QStringLiteral("There was a problem. Fennic couldn't convert the image"));
            m_observer.setConvertStatus(ConvertStatus::CONVERT);
            Q_EMIT fileWritten(result.path, result.ok);
        });
}

void ImageFileOperations::askToDelete(const QString& path) {
    if (m_deleteConfirmation)
        return;
    auto* box = new QMessageBox(m_window);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Delete this image?"));
    box->setText(QStringLiteral("Delete this image?"));
    box->setInformativeText(QStringLiteral("Are you sure you would like to delete this image?"));
    // Qt wraps the question to the narrowest box it can, which also leaves
    // the window manager no room for the title: the question on one line.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text() == box->informativeText())
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 1);
    }
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    QPushButton* remove = box->addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("deleteButton"));
    remove->setStyleSheet(QStringLiteral("color: #d70015;"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    // A window-modal message box is made a sheet, which Wayland draws without
    // a title bar: as a plain dialog it gets one everywhere.
    box->setWindowFlags((box->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_deleteConfirmation = box;
    connect(box, &QMessageBox::finished, this, [this, box, remove, path] {
        if (box->clickedButton() == remove)
            Q_EMIT deleteConfirmed(path);
    });
    box->open();
}

void ImageFileOperations::trash(const QString& shownPath) {
    // A copy: the window steps on to another file (and its path) on the way.
    const QString path = shownPath;
    if (!somethingAt(path))
        return;
    const TrashResult result = Trash::moveToTrash(path);
    if (!result.ok) {
        const QString note = QStringLiteral("%1 could not be moved to the Trash: %2")
                                 .arg(quoted(path), result.error);
        printDiagnostic(note);
        Q_EMIT noteRequested(note);
        return;
    }
    m_host.imageCache().remove(path);
    m_host.deletions().add({path, result.trashedPath});
    // Every window of the folder (this one included) and the application's
    // list forget the file.
    m_host.fileRemoved(path);
    Q_EMIT undoOffered(QStringLiteral("%1 was moved to the Trash").arg(quoted(path)));
}

void ImageFileOperations::undoDelete() {
    const auto last = m_host.deletions().takeLast();
    if (!last) {
        Q_EMIT noteRequested(QStringLiteral("Nothing to put back from the Trash"));
        return;
    }
    QString error;
    if (!Trash::restore(last->trashed, &error)) {
        // Gone from the history all the same: the next undo goes further back.
        const QString note =
            QStringLiteral("%1 stays in the Trash: %2").arg(quoted(last->original), error);
        printDiagnostic(note);
        Q_EMIT noteRequested(note);
        return;
    }
    m_host.fileRestored(last->original);
    Q_EMIT fileRestored(last->original);
}

void ImageFileOperations::print(const QString& path) {
    if (m_printDialog)
        return;
    QString unavailable;
    // The file as it is on disk when the user says Print.
    m_printDialog = openPrintDialog(
        m_window,
        [operations = QPointer(this), path](QPagedPaintDevice& printer) {
            QString error;
            if (operations && !printImageFile(printer, path, &error))
                Q_EMIT operations->noteRequested(
                    QStringLiteral("%1 could not be printed: %2").arg(quoted(path), error));
        },
        &unavailable);
    if (!m_printDialog)
        Q_EMIT noteRequested(QStringLiteral("Printing is not available: %1").arg(unavailable));
}

void ImageFileOperations::reveal(const QString& path) {
    revealInFileManager(path);
}

bool ImageFileOperations::openInEditor(const QString& path) {
    return ExternalEditor::isInstalled() && ExternalEditor::open(path);
}
