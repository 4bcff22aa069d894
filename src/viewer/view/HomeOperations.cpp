// The window's operations on its file: turning, converting, moving to the
// Trash, printing, and handing the file to the file manager or the editor.
#include "viewer/view/Home.h"

#include "desktop/apps/ExternalEditor.h"
#include "desktop/apps/FileManagerReveal.h"
#include "desktop/bus/DesktopNotifications.h"
#include "desktop/files/FolderListing.h"
#include "desktop/trash/Trash.h"
#include "imageio/write/FileWriteQueue.h"
#include "imageio/write/ImageConversion.h"
#include "imageio/write/ImageFileType.h"
#include "imageio/write/ImageRotation.h"
#include "viewer/ViewerHost.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/operations/PrintFile.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/StatusNote.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

void printLine(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

QString quoted(const QString& path) {
    return QStringLiteral("“%1”").arg(QFileInfo(path).fileName());
}

// True for anything at path, a dangling symbolic link included.
bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

void Home::rotateCurrentImage(double angle) {
    // Nothing to turn: the file could not be read, or is not there yet (an
    // embedded preview stands in only until it is).
    if (m_mainImage.isNull() || m_loadError || m_showingPreview)
        return;
    animateOpacity(0);
    m_rotationDegree = angle;
    QTimer::singleShot(0, this, [this, path = m_filePath, angle] {
        if (path == m_filePath)
            turnShownImage(angle);
    });
    animateOpacity(1.0);
}

void Home::turnShownImage(double angle) {
    const QImage turned = m_mainImage.transformed(QTransform().rotate(angle));
    if (turned.isNull())
        return;
    m_mainImage = turned;
    if (m_fullSize.isValid())
        m_fullSize.transpose();
    // The full-resolution picture no longer matches: zoom starts again from
    // the fitted view of the turned picture.
    m_zoom.reset();
    m_imageArea->setScale(m_zoom.scale());
    m_imageArea->imageView()->setImage(m_mainImage);
    // A step away and back shows the turned picture before the file has
    // followed.
    ImageCache& cache = m_host.imageCache();
    cache.remove(m_filePath);
    DecodedImage shown;
    shown.image = m_mainImage;
    shown.fullSize = m_fullSize;
    shown.properties = m_imageProperties;
    cache.insertDisplay(m_filePath, displayTarget(), shown);
    afterImageLoad();

    // The file follows on the write thread, with the path and the turn
    // captured now: a step meanwhile cannot mix one file with another.
    const QString path = m_filePath;
    const int quarterTurns = angle > 0 ? 1 : -1;
    m_host.fileWrites().enqueue(
        [path, quarterTurns] { return rotateImageFile(path, quarterTurns); }, this,
        [this, path](const FileWriteResult& result) {
            // What is decoded next comes from the file as it is now.
            m_host.imageCache().remove(path);
            if (!result.ok) {
                printLine(QStringLiteral("rotation not written: ") + result.error);
                showNote(
                    QStringLiteral("%1 could not be written: %2").arg(quoted(path), result.error));
                // The menu says why the turn stays on screen.
                if (path == m_filePath)
                    m_toolbar->setMoreMenuNote(result.error);
            }
            Q_EMIT fileWritten(path, result.ok);
        });
}

void Home::convertCurrentImage() {
    const QString extension = m_viewObserver.selectedExtension();
    const QString path = m_filePath;
    const QString base = QFileInfo(path).completeBaseName();
    const QString folder = m_currentDirectory;
    const ImageFileType type = fileTypeForExtension(extension);
    m_viewObserver.setConvertStatus(ConvertStatus::PROGRESS);
    // Off the main thread, after any turn of this file still being written.
    m_host.fileWrites().enqueue(
        [path, base, type, folder] { return saveImageCopy(path, base, type, folder); }, this,
        [this, path](const FileWriteResult& result) {
            if (!result.ok) {
                printLine(QStringLiteral("conversion failed: ") + result.error);
                showNote(QStringLiteral("%1 could not be converted: %2")
                             .arg(quoted(path), result.error));
            }
            m_host.desktopNotifications().post(
                QStringLiteral("Fennic"),
                result.ok
                    ? QStringLiteral("Image converted successfully")
                    : QStringLiteral("There was a problem. Fennic couldn't convert the image"));
            m_viewObserver.setConvertStatus(ConvertStatus::CONVERT);
            Q_EMIT fileWritten(result.path, result.ok);
        });
}

void Home::showDeleteConfirmation() {
    if (m_deleteConfirmation)
        return;
    m_simpleAlert = true;
    auto* box = new QMessageBox(window());
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QStringLiteral("Delete this image?"));
    box->setText(QStringLiteral("Delete this image?"));
    box->setInformativeText(QStringLiteral("Are you sure you would like to delete this image?"));
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    QPushButton* remove = box->addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("deleteButton"));
    remove->setStyleSheet(QStringLiteral("color: #d70015;"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_deleteConfirmation = box;
    // The question was about the picture on screen when it was asked.
    connect(box, &QMessageBox::finished, this, [this, box, remove, asked = m_filePath] {
        m_simpleAlert = false;
        if (box->clickedButton() == remove && asked == m_filePath)
            trashCurrentFile();
    });
    box->open();
}

void Home::trashCurrentFile() {
    const QString path = m_filePath;
    if (!somethingAt(path))
        return;
    const TrashResult result = Trash::moveToTrash(path);
    if (!result.ok) {
        printLine(result.error);
        showNote(QStringLiteral("%1 could not be moved to the Trash: %2")
                     .arg(quoted(path), result.error));
        return;
    }
    m_host.imageCache().remove(path);
    // Every window of the folder (this one included) and the application's
    // list forget the file.
    m_host.fileRemoved(path);
}

void Home::forgetRemovedFile(const QString& path) {
    const QFileInfo removed(path);
    const bool showsIt = path == m_filePath;
    if (!showsIt && removed.absolutePath() != m_currentDirectory)
        return;
    const ListAfterRemoval after = removeFromFolderList(m_filesInPath, m_currentIndexInFolder,
                                                        removed.fileName(), m_currentDirectory);
    m_filesInPath = after.files;
    if (!showsIt) {
        m_currentIndexInFolder = after.shownIndex;
        return;
    }
    std::optional<FolderStep> next = after.replacement;
    // A file that was not in the list: the folder's first picture.
    if (!after.contained)
        next = stepForward(m_filesInPath, -1, m_currentDirectory);
    if (!next) {
        m_host.closeWindow(m_uuid);
        return;
    }
    m_steppedBack = false;
    showFile(next->path, next->index);
}

void Home::printImage() {
    if (m_printDialog)
        return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_printDialog = dialog;
    // The file as it is on disk when the user says Print.
    connect(dialog, &QDialog::accepted, this, [this, printer, path = m_filePath] {
        QString error;
        if (!printImageFile(*printer, path, &error))
            showNote(QStringLiteral("%1 could not be printed: %2").arg(quoted(path), error));
    });
    dialog->open();
}

void Home::revealInFileManager() {
    ::revealInFileManager(m_filePath);
}

bool Home::openInExternalEditor() {
    return ExternalEditor::isInstalled() && ExternalEditor::open(m_filePath);
}

void Home::showNote(const QString& text) {
    if (!m_statusNote)
        m_statusNote = new StatusNote(m_imageArea);
    m_statusNote->showNote(text);
}
