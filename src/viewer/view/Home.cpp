#include "viewer/view/Home.h"

#include "desktop/Trace.h"
#include "desktop/apps/ExternalEditor.h"
#include "desktop/files/FolderListing.h"
#include "desktop/settings/AppSettings.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "style/AverageColour.h"
#include "style/ControlsColour.h"
#include "style/VisualStyle.h"
#include "style/WindowBackground.h"
#include "viewer/ViewerHost.h"
#include "viewer/WindowGeometry.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/loading/ImageLoader.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/WindowDragMover.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

constexpr int opacityAnimationMs = 180;
// The frameless window's toolbar sits this far inside the picture's corner.
constexpr int frameslessToolbarMargin = 6;

QString firstDroppedImage(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && hasAcceptedExtension(url.toLocalFile()) &&
            QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    }
    return {};
}

QSizeF primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QSizeF(WindowSystem::availableArea(*screen).size()) : QSizeF(0, 0);
}

} // namespace

Home::Home(ViewerHost& host, const ViewerOpening& opening, QWidget* parent)
    : QWidget(parent), m_host(host),
      m_hideInfoSidebarStorage(
          makeSetting(AppSettings::hideInfoSidebarStorage, &host.settingsStore())),
      m_visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, &host.settingsStore())),
      m_toolbarHeight(
          visualstyle::toolbarHeight(visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame))),
      m_filePath(opening.filePath), m_currentIndexInFolder(opening.currentIndexInFolder),
      m_filesInPath(opening.filesInPath), m_currentDirectory(opening.currentDirectory),
      m_uuid(opening.uuid), m_shownColor(palette().color(QPalette::WindowText)) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, windowBackgroundColor());
    setPalette(background);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbarBand = new QWidget(this);
    m_toolbarBand->setObjectName(QStringLiteral("toolbarBand"));
    auto* bandLayout = new QHBoxLayout(m_toolbarBand);
    bandLayout->setContentsMargins(8, 0, 8, 0);
    bandLayout->addStretch(1);
    layout->addWidget(m_toolbarBand);
    m_toolbar = new WindowToolbar(this);
    connect(
        m_toolbar, &WindowToolbar::commandTriggered, this,
        [this](WindowCommand command, const QVariantMap& userInfo) { perform(command, userInfo); });
    connect(m_toolbar, &WindowToolbar::deleteConfirmationRequested, this,
            &Home::showDeleteConfirmation);
    m_imageArea = new ImageAreaView(this);
    layout->addWidget(m_imageArea, 1);

    FennicImageView* imageView = m_imageArea->imageView();
    imageView->installEventFilter(this);
    connect(imageView, &FennicImageView::imagePainted, this,
            [this] { Trace::imagePainted(m_showingPreview); });
    m_windowMover = new WindowDragMover(this);
    imageView->installEventFilter(m_windowMover);

    m_opacityAnimation = new QPropertyAnimation(imageView, "opacity", this);
    m_opacityAnimation->setDuration(opacityAnimationMs);
    m_opacityAnimation->setEasingCurve(QEasingCurve::InOutQuad);

    connect(m_imageArea, &ImageAreaView::zoomStepRequested, this,
            [this](int direction) { direction > 0 ? zoomIn() : zoomOut(); });
    connect(m_imageArea, &ImageAreaView::pinchUpdated, this, [this](double magnification) {
        if (m_zoom.pinchUpdate(magnification))
            applyZoom();
    });
    connect(m_imageArea, &ImageAreaView::pinchEnded, this, [this] { m_zoom.pinchEnd(); });

    m_loader = new ImageLoader(host.decodeScheduler(), host.imageCache(), this);
    if (EarlyDecode* early = host.takeEarlyDecode())
        m_loader->offerEarlyDecode(early);
    connect(m_loader, &ImageLoader::imageReady, this, &Home::imageReady);
    connect(m_loader, &ImageLoader::fullResolutionReady, this, &Home::fullResolutionReady);

    // Over the picture's bottom right corner; it follows the window's state.
    m_details = new ImageDetailsView(m_viewObserver, this);
    connect(m_details, &ImageDetailsView::contentResized, this, &Home::placeDetails);
    connect(this, &Home::fileWritten, m_details,
            [this](const QString& path, bool) { m_details->fileChanged(path); });

    // The style may change in another window or another process.
    connect(m_visualStyleAsFrame.notifier(), &StorageNotifier::valueChanged, this,
            [this] { refresh(); });

    // Resolution and work-area changes of the primary screen, and a new
    // primary screen, all refit the window.
    const auto followPrimaryScreen = [this](QScreen* screen) {
        if (screen)
            connect(screen, &QScreen::availableGeometryChanged, this,
                    &Home::screenParametersChanged, Qt::UniqueConnection);
    };
    followPrimaryScreen(QGuiApplication::primaryScreen());
    connect(qApp, &QGuiApplication::primaryScreenChanged, this,
            [this, followPrimaryScreen](QScreen* screen) {
                followPrimaryScreen(screen);
                screenParametersChanged();
            });

    applyStyle();
    subscribeToCommands();
}

Home::~Home() = default;

void Home::subscribeToCommands() {
    NotificationCenter& center = m_host.notificationCenter();
    for (const WindowCommandEntry& entry : windowcommands::table()) {
        m_commandSubscriptions.push_back(center.subscribe(
            entry.name, this, [this, command = entry.command](const QVariantMap& userInfo) {
                if (windowcommands::isAddressedTo(userInfo, m_uuid))
                    perform(command, userInfo);
            }));
    }
}

void Home::viewDidAppear() {
    m_appeared = true;
    m_toolbarHeight =
        visualstyle::toolbarHeight(visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame));
    applyStyle();
    m_viewObserver.setHideInfoSidebar(m_hideInfoSidebarStorage.wrappedValue());
    m_viewObserver.setFilePath(m_filePath);
    m_loader->show(m_filePath, neighbours(), displayTarget());
}

void Home::viewDidDisappear() {
    m_hideInfoSidebarStorage = m_viewObserver.hideInfoSidebar();
}

void Home::imageReady(const QString& path, const DecodedImage& image) {
    if (path != m_filePath)
        return;
    m_mainImage = image.image;
    m_showingPreview = image.ok() && image.preview;
    m_fullSize =
        image.ok() ? (image.fullSize.isValid() ? image.fullSize : image.image.size()) : QSize();
    m_loadError = !image.ok();
    m_imageProperties = image.properties;
    FennicImageView* view = m_imageArea->imageView();
    if (image.ok())
        view->setImage(image.image);
    else
        view->setMessage(QFileInfo(path).fileName(), image.error);
    if (m_zoom.scale() > 1.0)
        applyZoom();
    // The dimmed previous picture stays until this one is here.
    if (m_opacity != 1.0)
        animateOpacity(1.0);
    m_toolbar->setMoreMenuNote(QString());
    Q_EMIT shownFileChanged(path);
    // The first image is fitted after the window's layout pass, as is
    // every later one; stepping fits at once.
    if (!window()->isVisible())
        QTimer::singleShot(0, this, &Home::afterImageLoad);
    else
        afterImageLoad();
}

void Home::fullResolutionReady(const QString& path, const DecodedImage& image) {
    if (path == m_filePath && image.ok())
        m_imageArea->imageView()->setDetailImage(image.image);
}

void Home::afterImageLoad() {
    // Read with the pixels, on the decoding thread.
    m_imageViewModel.applyImageProperties(m_filePath, m_imageProperties, m_viewObserver);
    m_screenSize = primaryScreenSize();
    m_oldScreenSize = m_screenSize;

    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame);
    m_shownColor = ::shownColor(style, averageColour(m_mainImage), palette());
    placeToolbar();

    std::optional<QSizeF> fitted;
    if (m_fullSize.isValid()) {
        m_thisSize = QSizeF(m_fullSize);
        fitted = WindowGeometry::fitImageToScreen(m_screenSize, m_thisSize);
    }
    if (fitted) {
        m_thisSize = *fitted;
        m_containerSize = WindowGeometry::contentSize(m_thisSize, m_toolbarHeight);
        m_host.resizeWindowToContent(m_uuid, m_containerSize, m_toolbarHeight);
    } else if (!window()->isVisible()) {
        // Nothing to fit (the file could not be read): the window keeps its
        // size, and a window not shown yet appears at a modest one.
        m_host.resizeWindowToContent(m_uuid,
                                     WindowGeometry::contentSize(QSizeF(640, 480), m_toolbarHeight),
                                     m_toolbarHeight);
    }
    Q_EMIT imageLoaded();
}

QSize Home::displayTarget() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(1920, 1080);
    return (QSizeF(WindowSystem::availableArea(*screen).size()) * screen->devicePixelRatio())
        .toSize();
}

QStringList Home::neighbours() const {
    QStringList result;
    const auto next = stepForward(m_filesInPath, m_currentIndexInFolder, m_currentDirectory);
    const auto previous = stepBackward(m_filesInPath, m_currentIndexInFolder, m_currentDirectory);
    // The direction the user is going comes first.
    if (m_steppedBack) {
        if (previous)
            result << previous->path;
        if (next)
            result << next->path;
    } else {
        if (next)
            result << next->path;
        if (previous)
            result << previous->path;
    }
    return result;
}

void Home::stepToNext() {
    if (const auto step = stepForward(m_filesInPath, m_currentIndexInFolder, m_currentDirectory)) {
        m_steppedBack = false;
        showFile(step->path, step->index);
    }
}

void Home::stepToPrevious() {
    if (const auto step = stepBackward(m_filesInPath, m_currentIndexInFolder, m_currentDirectory)) {
        m_steppedBack = true;
        showFile(step->path, step->index);
    }
}

void Home::showFile(const QString& path, int index) {
    animateOpacity(0.5);
    m_mainImage = QImage();
    m_showingPreview = false;
    m_currentIndexInFolder = index;
    m_filePath = path;
    m_viewObserver.setFilePath(m_filePath);
    QTimer::singleShot(0, this, &Home::loadCurrentFile);
}

void Home::loadCurrentFile() {
    // The picture comes back to full opacity when the new image is there
    // (at once when it was prefetched).
    m_loader->show(m_filePath, neighbours(), displayTarget());
}

bool Home::openDroppedFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !hasAcceptedExtension(path))
        return false;
    // The dropped file becomes the window's file, with its folder, so that
    // details, stepping and later operations all concern it.
    m_currentDirectory = info.absolutePath();
    m_filesInPath = imagesInFolderOrReport(m_currentDirectory);
    m_steppedBack = false;
    showFile(info.absoluteFilePath(), int(m_filesInPath.indexOf(info.fileName())));
    return true;
}

void Home::animateOpacity(double target) {
    m_opacity = target;
    m_opacityAnimation->stop();
    m_opacityAnimation->setStartValue(m_imageArea->imageView()->opacity());
    m_opacityAnimation->setEndValue(target);
    m_opacityAnimation->start();
}

void Home::zoomIn() {
    if (m_zoom.zoomIn())
        applyZoom();
}

void Home::zoomOut() {
    if (m_zoom.zoomOut())
        applyZoom();
}

void Home::zoomReset() {
    if (m_zoom.reset())
        applyZoom();
}

void Home::applyZoom() {
    m_imageArea->setScale(m_zoom.scale());
    // Dragging pans a zoomed image; otherwise it moves a frameless window.
    m_windowMover->setEnabled(!m_visualStyleAsFrame.wrappedValue() && !m_imageArea->canPan());
    // Drawn larger than the screen-sized decode: the full resolution helps.
    const QSize drawn = m_imageArea->imageView()->imageRect().size() * devicePixelRatioF();
    if (!m_loadError && !m_mainImage.isNull() && m_fullSize.isValid() &&
        m_mainImage.size() != m_fullSize &&
        (drawn.width() > m_mainImage.width() || drawn.height() > m_mainImage.height()))
        m_loader->requestFullResolution(m_filePath);
}

void Home::refresh() {
    // The band follows the style at once, and the window is fitted again, so
    // that a window switched to frameless does not keep an empty band. The
    // style change arrives twice (the setting and the delegate's request).
    const double toolbarHeight =
        visualstyle::toolbarHeight(visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame));
    if (toolbarHeight == m_toolbarHeight && m_appeared)
        return;
    m_toolbarHeight = toolbarHeight;
    applyStyle();
    if (m_appeared && !m_mainImage.isNull())
        afterImageLoad();
    // Last: the window is recreated for its new decorations, and takes the
    // size just fitted with it.
    Q_EMIT styleChanged(m_visualStyleAsFrame.wrappedValue());
}

void Home::applyStyle() {
    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame);
    const int inset = int(visualstyle::imageInset(style));
    m_toolbarBand->setFixedHeight(int(m_toolbarHeight));
    m_toolbarBand->setVisible(m_toolbarHeight > 0);
    placeToolbar();
    layout()->setContentsMargins(inset, 0, inset, inset);
    m_windowMover->setEnabled(style == VISUALSTYLE::FRAMELESS && !m_imageArea->canPan());
}

void Home::placeToolbar() {
    const bool frame = m_visualStyleAsFrame.wrappedValue();
    m_toolbar->setFrameStyle(frame);
    m_toolbar->setShownColor(m_shownColor);
    m_toolbar->setEditorInstalled(ExternalEditor::isInstalled());
    if (frame) {
        // In the band above the picture, at its right end.
        if (m_toolbar->parentWidget() != m_toolbarBand) {
            m_toolbar->setParent(m_toolbarBand);
            m_toolbarBand->layout()->addWidget(m_toolbar);
        }
    } else {
        // Over the top edge of the picture, at its right end.
        if (m_toolbar->parentWidget() != this) {
            m_toolbarBand->layout()->removeWidget(m_toolbar);
            m_toolbar->setParent(this);
        }
        m_toolbar->adjustSize();
        m_toolbar->move(width() - m_toolbar->width() - frameslessToolbarMargin,
                        frameslessToolbarMargin);
        m_toolbar->raise();
    }
    m_toolbar->show();
}

void Home::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_visualStyleAsFrame.wrappedValue())
        placeToolbar();
    placeDetails();
}

void Home::placeDetails() {
    // Bottom right of the picture's area. A card taller than the area keeps
    // its top in view and runs off the bottom rather than squeeze its lines.
    const QRect area = m_imageArea->geometry();
    const QSize size = m_details->sizeHint();
    m_details->setGeometry(QRect(QPoint(area.right() + 1 - size.width(),
                                        std::max(area.top(), area.bottom() + 1 - size.height())),
                                 size));
    // The card's new lines are laid out before the next paint, not after.
    m_details->placeCard();
    if (m_details->isVisible()) {
        m_details->raise();
        m_toolbar->raise();
    }
}

void Home::toggleInfoSidebar() {
    m_viewObserver.setHideInfoSidebar(!m_viewObserver.hideInfoSidebar());
    m_hideInfoSidebarStorage = m_viewObserver.hideInfoSidebar();
}

void Home::contextMenuEvent(QContextMenuEvent* event) {
    // The picture's buttons first, then the application's menu.
    QMenu* menu = buildPictureContextMenu(m_toolbar, this);
    const QList<QAction*> application = window()->actions();
    if (!application.isEmpty()) {
        menu->addSeparator();
        QMenu* more = menu->addMenu(QStringLiteral("Fennic"));
        more->addActions(application);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void Home::screenParametersChanged() {
    const QSizeF now = primaryScreenSize();
    if (now.isEmpty() || now != m_oldScreenSize) {
        if (m_appeared)
            afterImageLoad();
    }
}

bool Home::onEvent(KeyAwareView::Event event) {
    std::printf("Press\n");
    std::fflush(stdout);
    using Event = KeyAwareView::Event;
    switch (event) {
    case Event::leftArrow:
        perform(WindowCommand::moveImageBack);
        break;
    case Event::rightArrow:
        perform(WindowCommand::moveImageNext);
        break;
    case Event::equal:
        perform(WindowCommand::zoomPlus);
        break;
    case Event::minus:
        perform(WindowCommand::zoomMinus);
        break;
    case Event::period:
        perform(WindowCommand::zoomReset);
        break;
    case Event::cmdC:
        // An embedded preview is no copy of the picture.
        if (!m_mainImage.isNull() && !m_showingPreview) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setImage(m_mainImage);
        }
        break;
    case Event::cmdW:
        m_host.closeWindow(m_uuid);
        break;
    case Event::cmdR:
        m_visualStyleAsFrame = !m_visualStyleAsFrame.wrappedValue();
        m_host.refreshAllViewers();
        break;
    case Event::deleteKey:
        showDeleteConfirmation();
        break;
    case Event::upArrow:
    case Event::downArrow:
    case Event::space:
    case Event::cmdP:
        break;
    }
    return true;
}

bool Home::perform(WindowCommand command, const QVariantMap& userInfo) {
    const WindowCommandEntry& entry = windowcommands::entry(command);
    if (!entry.available || (entry.needsValue && !windowcommands::valueOf(userInfo)))
        return false;
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
    case WindowCommand::moveImageNext:
        m_rotationDegree = 0;
        stepToNext();
        return true;
    case WindowCommand::moveImageBack:
        m_rotationDegree = 0;
        stepToPrevious();
        return true;
    case WindowCommand::deleteImage:
        trashCurrentFile();
        return true;
    case WindowCommand::openDarkroom:
        return openInExternalEditor();
    case WindowCommand::showInFinder:
        revealInFileManager();
        return true;
    case WindowCommand::printImage:
        printImage();
        return true;
    case WindowCommand::convertImage:
        m_viewObserver.setSelectedExtension(*windowcommands::valueOf(userInfo));
        convertCurrentImage();
        return true;
    case WindowCommand::rotateClock:
        rotateCurrentImage(90);
        return true;
    case WindowCommand::rotateCounter:
        rotateCurrentImage(-90);
        return true;
    case WindowCommand::hideinfosidebar:
        toggleInfoSidebar();
        return true;
    }
    return false;
}

void Home::keyPressEvent(QKeyEvent* event) {
    if (const auto mapped = KeyAwareView::eventFor(event->key(), event->modifiers())) {
        if (*mapped == KeyAwareView::Event::leftArrow || *mapped == KeyAwareView::Event::rightArrow)
            Trace::keyPressed();
        onEvent(*mapped);
        event->accept();
        return;
    }
    // The rest of the command table's keys (Ctrl+U, ...).
    if (const auto command = windowcommands::forKey(event->key(), event->modifiers())) {
        perform(*command);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Home::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == nullptr && !firstDroppedImage(event->mimeData()).isEmpty()) {
        m_dragOver = true;
        event->acceptProposedAction();
    }
}

void Home::dragLeaveEvent(QDragLeaveEvent*) {
    m_dragOver = false;
}

void Home::dropEvent(QDropEvent* event) {
    m_dragOver = false;
    const QString path = firstDroppedImage(event->mimeData());
    if (!path.isEmpty() && openDroppedFile(path))
        event->acceptProposedAction();
}

bool Home::eventFilter(QObject* watched, QEvent* event) {
    // A plain click on the picture clears the overlay flag.
    if (watched == m_imageArea->imageView() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        m_viewObserver.setShowOverlay(false);
    // Dragging the picture out of a framed window hands the image to the
    // drop target; a frameless window is moved by the drag instead.
    if (watched == m_imageArea->imageView() && m_visualStyleAsFrame.wrappedValue() &&
        !m_imageArea->canPan()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton)
                m_dragStart = mouse->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons().testFlag(Qt::LeftButton) && !m_mainImage.isNull() &&
                !m_showingPreview &&
                (mouse->position().toPoint() - m_dragStart).manhattanLength() >=
                    QApplication::startDragDistance()) {
                startImageDrag();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Home::startImageDrag() {
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setImageData(m_mainImage);
    drag->setMimeData(mime);
    drag->setPixmap(QPixmap::fromImage(
        m_mainImage.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(Qt::CopyAction);
}
