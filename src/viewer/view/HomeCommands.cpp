// What a viewer window does on a command: from its keys, its menus, the
// application's menu and D-Bus alike.
#include "desktop/Diagnostics.h"
#include "desktop/Trace.h"
#include "desktop/apps/ExternalEditor.h"
#include "viewer/ViewerHost.h"
#include "viewer/loading/ImageCache.h"
#include "viewer/operations/ImageFileOperations.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/AnimationPlayer.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/FullScreenState.h"
#include "viewer/view/Home.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/PictureDrag.h"
#include "viewer/view/ScreenWatch.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

bool Home::perform(WindowCommand command, const QVariantMap& userInfo) {
    // Withheld (an error page): refused from keys, menus and D-Bus alike.
    if (!toolbar()->isAvailable(command))
        return false;
    if (ImageFileOperations::handles(command))
        return m_operations->perform(command, m_filePath, m_picture.source(), m_folder.directory(),
                                     userInfo);
    switch (command) {
    case WindowCommand::zoomPlus:
        zoomIn();
        return true;
    case WindowCommand::zoomMinus:
        zoomOut();
        return true;
    case WindowCommand::zoomReset:
        zoomReset();
        return true;
    case WindowCommand::zoomActualSize:
        zoomActualSize();
        return true;
    case WindowCommand::moveImageNext:
        stepToNext();
        return true;
    case WindowCommand::moveImageBack:
        stepToPrevious();
        return true;
    case WindowCommand::moveImageFirst:
        if (const auto step = folder().first())
            showFile(*step, false); // from there the user goes forward
        return true;
    case WindowCommand::moveImageLast:
        if (const auto step = folder().last())
            showFile(*step, true);
        return true;
    case WindowCommand::rotateClock:
    case WindowCommand::rotateCounter:
        rotateCurrentImage(command == WindowCommand::rotateClock ? 90 : -90);
        return true;
    case WindowCommand::hideinfosidebar:
        toggleInfoSidebar();
        return true;
    case WindowCommand::copyImage:
        copyImage();
        return true;
    case WindowCommand::closeWindow:
        m_host.closeWindow(m_uuid);
        return true;
    case WindowCommand::switchStyle:
        m_visualStyleAsFrame = !m_visualStyleAsFrame.value();
        m_host.refreshAllViewers();
        return true;
    case WindowCommand::toggleFullScreen:
        m_fullScreen->toggle();
        return true;
    case WindowCommand::leaveFullScreen:
        m_fullScreen->leave();
        return true;
    case WindowCommand::ignoreKey:
        return true;
    default: // the file's own commands, handled above
        return false;
    }
}

void Home::keyPressEvent(QKeyEvent* event) {
    const auto command = windowcommands::forKey(event->key(), event->modifiers());
    if (!command || (*command == WindowCommand::leaveFullScreen && !m_fullScreen->active())) {
        QWidget::keyPressEvent(event);
        return;
    }
    printDiagnostic(QStringLiteral("Press"));
    if (*command == WindowCommand::moveImageNext || *command == WindowCommand::moveImageBack)
        Trace::keyPressed();
    perform(*command);
    event->accept();
}

void Home::copyImage() {
    const QImage picture = m_picture.copyable();
    if (picture.isNull())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setMimeData(pictureMimeData(picture, m_filePath));
}

void Home::rotateCurrentImage(double angle) {
    // Nothing to turn: the file could not be read, or is not there yet (an
    // embedded preview stands in only until it is).
    if (!m_picture.canTurn())
        return;
    m_imageArea->imageView()->fadeTo(0);
    QTimer::singleShot(0, this, [this, path = m_filePath, angle] {
        if (path == m_filePath)
            turnShownImage(angle);
    });
    m_imageArea->imageView()->fadeTo(1.0);
}

void Home::turnShownImage(double angle) {
    DecodedImage turned;
    if (!m_picture.turn(angle, &turned))
        return;
    // The full-resolution picture no longer matches: zoom starts again from
    // the fitted view of the turned picture.
    m_imageArea->resetZoom();
    m_imageArea->imageView()->setImage(turned.image);
    m_animation->turn(angle);
    // A step away and back shows the turned picture before the file has
    // followed.
    ImageCache& cache = m_host.imageCache();
    cache.remove(m_filePath);
    cache.insertDisplay(m_filePath, ScreenWatch::displayTarget(), turned);
    afterImageLoad();
    m_operations->writeTurn(m_filePath, angle > 0 ? 1 : -1, m_picture.source());
}

void Home::toggleInfoSidebar() {
    m_viewObserver.setHideInfoSidebar(!m_viewObserver.hideInfoSidebar());
    m_hideInfoSidebarStorage = m_viewObserver.hideInfoSidebar();
}

void Home::contextMenuEvent(QContextMenuEvent* event) {
    // The picture's buttons first, then the application's menu.
    QMenu* menu = buildPictureContextMenu(toolbar(), this);
    const QList<QAction*> application = window()->actions();
    // The application's entries for window commands offer what this window offers.
    for (QAction* action : application) {
        if (const std::optional<WindowCommand> command = windowcommands::ofAction(action))
            action->setEnabled(
                toolbar()->isAvailable(*command) &&
                (*command != WindowCommand::openDarkroom || ExternalEditor::isInstalled()));
    }
    if (!application.isEmpty()) {
        menu->addSeparator();
        QMenu* more = menu->addMenu(QStringLiteral("Fennic"));
        more->addActions(application);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}
