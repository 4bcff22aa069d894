#include "viewer/view/Home.h"

#include "desktop/FirstPicture.h"
#include "desktop/Trace.h"
#include "desktop/files/FolderWatch.h"
#include "desktop/settings/AppSettings.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "style/ControlsColour.h"
#include "style/VisualStyle.h"
#include "style/WindowBackground.h"
#include "viewer/ViewerHost.h"
#include "viewer/WindowGeometry.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/loading/ImageLoader.h"
#include "viewer/operations/ImageFileOperations.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/AnimationPlayer.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/FullScreenState.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/PictureDrag.h"
#include "viewer/view/ScreenWatch.h"
#include "viewer/view/ViewerChrome.h"
#include "viewer/view/WindowDragMover.h"

#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// What an error page cannot do: there is no picture to zoom, copy, turn,
// print or convert.
constexpr WindowCommand needsPicture[] = {
    WindowCommand::zoomPlus,       WindowCommand::zoomMinus,  WindowCommand::zoomReset,
    WindowCommand::zoomActualSize, WindowCommand::copyImage,  WindowCommand::rotateClock,
    WindowCommand::rotateCounter,  WindowCommand::printImage, WindowCommand::convertImage};

// The window of an error page: room for the file's name and the reason.
constexpr QSizeF messagePageSize(640, 480);

// A first picture that takes longer than this to decode (a huge TIFF, a
// slow disk) gets its window at once, saying so, so that it can be closed
// or quit meanwhile; an ordinary photo is shown well before.
constexpr int slowFirstPictureMs = 700;

} // namespace

Home::Home(ViewerHost& host, const ViewerOpening& opening, QWidget* parent)
    : QWidget(parent), m_host(host), m_uuid(opening.uuid),
      m_hideInfoSidebarStorage(
          makeSetting(AppSettings::hideInfoSidebarStorage, &host.settingsStore())),
      m_visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, &host.settingsStore())),
      m_surround(visualstyle::pictureSurroundFor(m_visualStyleAsFrame)),
      m_filePath(opening.filePath),
      m_folder(opening.currentDirectory, opening.filesInPath, opening.currentIndexInFolder),
      m_folderListed(opening.folderListed), m_shownColor(palette().color(QPalette::WindowText)) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, windowBackgroundColor());
    setPalette(background);
    buildViews();

    m_loader = new ImageLoader(host.decodeScheduler(), host.imageCache(), this);
    if (EarlyDecode* early = host.takeEarlyDecode())
        m_loader->offerEarlyDecode(early);
    connect(m_loader, &ImageLoader::imageReady, this, &Home::imageReady);
    connect(m_loader, &ImageLoader::fullResolutionReady, this, &Home::fullResolutionReady);
    connect(m_loader, &ImageLoader::neighbourReady, this,
            [this](const QString&, const DecodedImage& image) {
                m_imageArea->imageView()->prepareScaled(image.image);
            });

    m_operations = new ImageFileOperations(host, m_viewObserver, this);
    connectOperations();

    // Files that come into the folder or leave it, from this program or any
    // other, come into the stepping order or leave it.
    m_folderWatch = new FolderWatch(this);
    connect(m_folderWatch, &FolderWatch::changed, this, &Home::folderChanged);
    m_folderWatch->watch(m_folder.directory());

    // The style may change in another window or another process.
    connect(m_visualStyleAsFrame.notifier(), &SettingNotifier::valueChanged, this,
            [this] { refresh(); });
    // Resolution and work-area changes of the primary screen, and a new
    // primary screen, all refit the window.
    connect(new ScreenWatch(this), &ScreenWatch::changed, this, &Home::screenParametersChanged);
    applyStyle();
}

Home::~Home() = default;

void Home::buildViews() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_fullScreen = new FullScreenState(this);
    connect(m_fullScreen, &FullScreenState::activeChanged, this, &Home::fullScreenChanged);
    m_imageArea = new ImageAreaView(this);
    layout->addWidget(m_imageArea, 1);
    m_chrome = new ViewerChrome(this, layout, m_imageArea, m_viewObserver);
    connect(m_chrome, &ViewerChrome::minimumContentChanged, this, [this] {
        if (m_appeared && window()->isVisible())
            fitWindow(false);
    });
    connect(
        toolbar(), &WindowToolbar::commandTriggered, this,
        [this](WindowCommand command, const QVariantMap& userInfo) { perform(command, userInfo); });
    connect(toolbar(), &WindowToolbar::deleteConfirmationRequested, this,
            [this] { perform(WindowCommand::askToDelete); });
    connect(this, &Home::fileWritten, detailsView(),
            [this](const QString& path, bool) { detailsView()->fileChanged(path); });

    FennicImageView* imageView = m_imageArea->imageView();
    imageView->installEventFilter(this);
    m_animation = new AnimationPlayer(imageView);
    connect(imageView, &FennicImageView::imagePainted, this, [this] {
        Trace::imagePainted(m_picture.isPreview());
        FirstPicture::shown();
        listFolderSoon();
    });
    // Dragging the picture moves a frameless window and hands the picture to
    // a drop target from a framed one; a zoomed picture pans instead.
    m_windowMover = new WindowDragMover(this);
    imageView->installEventFilter(m_windowMover);
    new PictureDragOut(
        imageView,
        [this] {
            return m_visualStyleAsFrame.value() && !m_imageArea->canPan() ? m_picture.copyable()
                                                                          : QImage();
        },
        [this] { return m_filePath; });

    connect(m_imageArea, &ImageAreaView::scaleChanged, this, &Home::zoomChanged);
    connect(m_fullScreen, &FullScreenState::controlsShownChanged, m_chrome,
            &ViewerChrome::setControlsShown);
}

void Home::connectOperations() {
    connect(m_operations, &ImageFileOperations::fileWritten, this, &Home::fileWritten);
    connect(m_operations, &ImageFileOperations::noteRequested, m_chrome, &ViewerChrome::showNote);
    connect(m_operations, &ImageFileOperations::fileReplaced, m_loader, &ImageLoader::reload);
    connect(m_operations, &ImageFileOperations::undoOffered, m_chrome, &ViewerChrome::showUndoNote);
    connect(m_chrome, &ViewerChrome::noteActionChosen, this,
            [this] { perform(WindowCommand::undoDelete); });
    connect(m_operations, &ImageFileOperations::fileRestored, this, &Home::showRestoredFile);
    // The "more" menu says why a turn stays on screen only.
    connect(m_operations, &ImageFileOperations::turnNotWritten, this,
            [this](const QString& path, const QString& reason) {
                if (path == m_filePath)
                    toolbar()->setMoreMenuNote(reason);
            });
    // The question was about the picture on screen when it was asked.
    connect(m_operations, &ImageFileOperations::deleteConfirmed, this, [this](const QString& path) {
        if (path == m_filePath)
            m_operations->trash(path);
    });
}

void Home::viewDidAppear() {
    m_appeared = true;
    m_surround = visualstyle::pictureSurroundFor(m_visualStyleAsFrame);
    applyStyle();
    m_viewObserver.setHideInfoSidebar(m_hideInfoSidebarStorage.value());
    m_viewObserver.setFilePath(m_filePath);
    m_loader->show(m_filePath, m_folder.neighbours(), ScreenWatch::displayTarget());
    QTimer::singleShot(slowFirstPictureMs, this, &Home::showWhileDecoding);
}

void Home::showWhileDecoding() {
    if (window()->isVisible())
        return;
    m_imageArea->imageView()->setMessage(QFileInfo(m_filePath).fileName(),
                                         QStringLiteral("Opening…"));
    for (WindowCommand command : needsPicture)
        toolbar()->setAvailable(command, false);
    m_thisSize = messagePageSize;
    // Where the compositor places windows, one that grows later cannot move
    // back onto the screen: the note takes the room of the largest picture,
    // which the picture then only shrinks.
    if (!WindowSystem::windowPositionsKnown()) {
        m_screenSize = QSizeF(ScreenWatch::workArea().size());
        m_thisSize =
            WindowGeometry::fitImageToScreen(m_screenSize, m_screenSize).value_or(messagePageSize);
    }
    fitWindow(true);
}

void Home::viewDidDisappear() {
    m_hideInfoSidebarStorage = m_viewObserver.hideInfoSidebar();
}

bool Home::simpleAlert() const {
    return m_operations->isAskingToDelete();
}

void Home::imageReady(const QString& path, const DecodedImage& image) {
    if (path != m_filePath)
        return;
    m_picture.show(image);
    FennicImageView* view = m_imageArea->imageView();
    if (image.ok()) {
        view->setImage(image.image);
    } else {
        view->setMessage(QFileInfo(path).fileName(), image.error);
        // A message paints no picture to list the folder after.
        listFolderSoon();
    }
    // An animated GIF or WebP plays on from the first frame shown.
    if (image.ok() && !image.preview)
        m_animation->play(path);
    else
        m_animation->stop();
    if (scale() > 1.0)
        zoomChanged();
    // The dimmed previous picture stays until this one is here.
    if (view->fadeTarget() != 1.0)
        view->fadeTo(1.0);
    toolbar()->setMoreMenuNote(QString());
    for (WindowCommand command : needsPicture)
        toolbar()->setAvailable(command, image.ok());
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
    m_imageViewModel.applyImageProperties(m_filePath, m_picture.properties(), m_viewObserver);
    m_screenSize = QSizeF(ScreenWatch::workArea().size());

    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame);
    const std::optional<RgbaColour> average = m_picture.averageColour();
    m_shownColor = ::shownColor(style, average, palette());
    m_chrome->setShownColor(m_shownColor, ::shownColor(VISUALSTYLE::FRAMELESS, average, palette()));

    std::optional<QSizeF> fitted;
    if (m_picture.fullSize().isValid()) {
        m_thisSize = QSizeF(m_picture.fullSize());
        fitted = WindowGeometry::fitImageToScreen(m_screenSize, m_thisSize);
    }
    if (fitted) {
        m_thisSize = *fitted;
        fitWindow(true);
    } else {
        // Nothing to fit (the file could not be read): the window takes the
        // message's size, not the previous picture's.
        m_thisSize = messagePageSize;
        fitWindow(true);
    }
    Q_EMIT imageLoaded();
}

void Home::fitWindow(bool always) {
    if (m_thisSize.isEmpty())
        return;
    if (m_fullScreen->active()) {
        // The whole screen: a picture smaller than it at its own size, a
        // larger one fitted (zoom grows both alike); the window is fitted once
        // full screen is left.
        const QSize full = m_picture.fullSize();
        m_imageArea->imageView()->setLargestSize(full.isValid() ? QSizeF(full) * scale()
                                                                : QSizeF());
        if (always)
            m_fullScreen->markOutdated();
        m_chrome->place();
        return;
    }
    // A picture smaller than its controls (or the open details card) need is
    // shown at its fitted size in the middle of a window large enough.
    const QSizeF content = WindowGeometry::contentSize(m_thisSize, m_surround);
    const QSizeF wanted = content.expandedTo(QSizeF(m_chrome->minimumContent()));
    m_imageArea->imageView()->setLargestSize(wanted == content ? QSizeF() : m_thisSize);
    if (!always && wanted == m_containerSize)
        return;
    m_containerSize = wanted;
    m_host.resizeWindowToContent(m_uuid, m_containerSize, m_surround);
}

void Home::refresh() {
    // The band follows the style at once, and the window is fitted again, so
    // that a window switched to frameless does not keep an empty band. The
    // style change arrives twice (the setting and the application's request).
    const QSizeF surround = visualstyle::pictureSurroundFor(m_visualStyleAsFrame);
    if (surround == m_surround && m_appeared)
        return;
    m_surround = surround;
    applyStyle();
    if (m_appeared && !m_picture.image().isNull())
        afterImageLoad();
    // Last: the window is recreated for its new decorations, and takes the
    // size just fitted with it.
    Q_EMIT styleChanged(m_visualStyleAsFrame.value());
}

void Home::applyStyle() {
    // Full screen looks the same in both styles: the frameless one's.
    const bool frame = m_visualStyleAsFrame.value() && !m_fullScreen->active();
    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(frame);
    const int inset = int(visualstyle::imageInset(style));
    m_chrome->setStyle(frame, visualstyle::toolbarHeight(style));
    m_chrome->setFullScreen(m_fullScreen->active());
    // The inset all round the picture, the band above it: the window grows
    // by them so that the picture is shown at its own size.
    layout()->setContentsMargins(inset, 0, inset, inset);
    layout()->setSpacing(inset);
    m_imageArea->imageView()->setRoundedCorners(style == VISUALSTYLE::FRAME);
    updateDragModes();
}

void Home::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_chrome->place();
}

void Home::fullScreenChanged(bool active) {
    applyStyle();
    m_chrome->place();
    fitWindow(!active && m_fullScreen->outdated());
}

void Home::screenParametersChanged() {
    const QSizeF now(ScreenWatch::workArea().size());
    if ((now.isEmpty() || now != m_screenSize) && m_appeared)
        afterImageLoad();
}

bool Home::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_imageArea->imageView() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_fullScreen->toggle();
        return true;
    }
    // A plain click on the picture clears the overlay flag.
    if (watched == m_imageArea->imageView() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        m_viewObserver.setShowOverlay(false);
    return QWidget::eventFilter(watched, event);
}

StatusNote* Home::statusNote() const {
    return m_chrome->statusNote();
}

WindowToolbar* Home::toolbar() const {
    return m_chrome->toolbar();
}

ImageDetailsView* Home::detailsView() const {
    return m_chrome->details();
}

double Home::scale() const {
    return m_imageArea->scale();
}

double Home::opacity() const {
    return m_imageArea->imageView()->fadeTarget();
}
