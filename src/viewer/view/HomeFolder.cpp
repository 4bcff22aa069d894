// A viewer window's place in its folder: steps, files dropped on it, and
// files that come and go (deleted, put back, written by other programs).
#include "desktop/files/FolderWatch.h"
#include "viewer/ViewerHost.h"
#include "viewer/loading/ImageLoader.h"
#include "viewer/view/AnimationPlayer.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/Home.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/PictureDrag.h"
#include "viewer/view/ScreenWatch.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QTimer>

FolderPosition& Home::folder() {
    if (!m_folderListed) {
        m_folderListed = true;
        const QStringList files = imagesInFolderOrReport(m_folder.directory());
        m_folder = FolderPosition(m_folder.directory(), files,
                                  int(files.indexOf(QFileInfo(m_filePath).fileName())));
        m_loader->setNeighbours(m_folder.neighbours());
    }
    return m_folder;
}

void Home::listFolderSoon() {
    // After the frame being painted is on its way to the screen.
    if (!m_folderListed)
        QTimer::singleShot(0, this, [this] { folder(); });
}

void Home::stepToNext() {
    if (const auto step = folder().next())
        showFile(*step, false);
}

void Home::stepToPrevious() {
    if (const auto step = folder().previous())
        showFile(*step, true);
}

void Home::showFile(const FolderStep& step, bool back) {
    m_imageArea->imageView()->fadeTo(0.5);
    m_animation->stop();
    m_picture.clear();
    m_folder.moveTo(step, back);
    m_filePath = step.path;
    m_viewObserver.setFilePath(m_filePath);
    QTimer::singleShot(0, this, &Home::loadCurrentFile);
}

void Home::loadCurrentFile() {
    // The picture comes back to full opacity when the new image is there
    // (at once when it was prefetched).
    m_loader->show(m_filePath, m_folder.neighbours(), ScreenWatch::displayTarget());
}

bool Home::openDroppedFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !hasAcceptedExtension(path))
        return false;
    // The dropped file becomes the window's file, with its folder, so that
    // details, stepping and later operations all concern it.
    const QString folder = info.absolutePath();
    const QStringList files = imagesInFolderOrReport(folder);
    m_folder = FolderPosition(folder, files, -1);
    m_folderListed = true;
    m_folderWatch->watch(folder);
    showFile({int(files.indexOf(info.fileName())), info.absoluteFilePath()}, false);
    return true;
}

void Home::forgetRemovedFile(const QString& path) {
    const FolderPosition::Removal removal = folder().forget(path, m_filePath);
    if (!removal.shownFileGone)
        return;
    if (removal.next)
        showFile(*removal.next, false);
    else
        m_host.closeWindow(m_uuid);
}

void Home::folderChanged(const QStringList& added, const QStringList& removed) {
    folder().addNames(added);
    const QString directory = m_folderWatch->folder();
    for (const QString& name : removed) {
        // Gone meanwhile only if it is not there again.
        const QString path = directory + QLatin1Char('/') + name;
        if (!QFileInfo::exists(path))
            forgetRemovedFile(path);
    }
}

void Home::takeBackFile(const QString& path) {
    folder().add(path);
}

void Home::showRestoredFile(const QString& path) {
    // In its place in this folder, or with its own folder when it was
    // deleted from another one.
    if (const auto step = folder().add(path))
        showFile(*step, false);
    else
        openDroppedFile(path);
}

void Home::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == nullptr && !droppedImageFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Home::dropEvent(QDropEvent* event) {
    const QString path = droppedImageFile(event->mimeData());
    if (!path.isEmpty() && openDroppedFile(path))
        event->acceptProposedAction();
}
