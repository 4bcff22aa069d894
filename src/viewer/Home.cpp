#include "viewer/Home.h"

#include "app/AppDelegate.h"
#include "app/AppSettings.h"
#include "app/FolderListing.h"
#include "app/WindowDragMover.h"
#include "app/WindowGeometry.h"
#include "platform/Trace.h"
#include "style/AverageColour.h"
#include "style/ControlsColour.h"
#include "style/VisualStyle.h"
#include "style/WindowBackground.h"
#include "viewer/FennicImageView.h"
#include "viewer/ImageAreaView.h"
#include "viewer/components/EdgeTopArea.h"
#include "viewer/loading/ImageLoader.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

constexpr int opacityAnimationMs = 180;

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
    return screen ? QSizeF(screen->availableGeometry().size()) : QSizeF(0, 0);
}

} // namespace

Home::Home(AppDelegate& delegate, const Opening& opening, QWidget* parent)
    : QWidget(parent), m_delegate(delegate),
      m_hideInfoSidebarStorage(
          makeSetting(AppSettings::hideInfoSidebarStorage, &delegate.settingsStore())),
      m_visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, &delegate.settingsStore())),
      m_filePath(opening.filePath), m_filesInPath(opening.filesInPath),
      m_currentDirectory(opening.currentDirectory), m_uuid(opening.uuid),
      m_shownColor(palette().color(QPalette::WindowText)) {
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
    layout->addWidget(m_toolbarBand);
    m_imageArea = new ImageAreaView(this);
    layout->addWidget(m_imageArea, 1);

    FennicImageView* imageView = m_imageArea->imageView();
    imageView->installEventFilter(this);
    connect(imageView, &FennicImageView::imagePainted, this, [] { Trace::imagePainted(); });
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

    m_loader = new ImageLoader(delegate.decodeScheduler(), delegate.imageCache(), this);
    if (delegate.earlyDecode)
        m_loader->offerEarlyDecode(delegate.earlyDecode);
    connect(m_loader, &ImageLoader::imageReady, this, &Home::imageReady);
    connect(m_loader, &ImageLoader::fullResolutionReady, this, &Home::fullResolutionReady);

    m_edgeTopArea = new EdgeTopArea(&delegate.settingsStore(), this);
    connect(m_edgeTopArea, &EdgeTopArea::placementChanged, this, [this] { refresh(); });
    connect(&delegate, &AppDelegate::viewersNeedRefresh, this, &Home::refresh);

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
}

Home::~Home() = default;

void Home::viewDidAppear() {
    m_appeared = true;
    m_toolbarHeight = m_visualStyleAsFrame.wrappedValue() ? 52 : 0;
    applyStyle();
    m_viewObserver.setHideInfoSidebar(m_hideInfoSidebarStorage.wrappedValue());
    m_viewObserver.setFilePath(m_filePath);
    m_currentIndexInFolder = int(m_filesInPath.indexOf(QFileInfo(m_filePath).fileName()));
    m_loader->show(m_filePath, neighbours(), displayTarget());
}

void Home::viewDidDisappear() {
    m_hideInfoSidebarStorage = m_viewObserver.hideInfoSidebar();
}

void Home::imageReady(const QString& path, const DecodedImage& image) {
    if (path != m_filePath)
        return;
    m_mainImage = image.image;
    m_fullSize =
        image.ok() ? (image.fullSize.isValid() ? image.fullSize : image.image.size()) : QSize();
    m_loadError = !image.ok();
    FennicImageView* view = m_imageArea->imageView();
    if (image.ok())
        view->setImage(image.image);
    else
        view->setMessage(QFileInfo(path).fileName(), image.error);
    if (m_zoom.scale() > 1.0)
        applyZoom();
    // The first image is fitted after the window's layout pass, as is
    // every later one; stepping fits at once.
    if (!m_delegate.windowsDictionary.value(m_uuid) ||
        !m_delegate.windowsDictionary.value(m_uuid)->isVisible())
        QTimer::singleShot(0, this, &Home::afterImageLoad);
    else
        afterImageLoad();
}

void Home::fullResolutionReady(const QString& path, const DecodedImage& image) {
    if (path == m_filePath && image.ok())
        m_imageArea->imageView()->setDetailImage(image.image);
}

void Home::afterImageLoad() {
    m_imageProperties = m_imageViewModel.readImageAttributes(m_filePath, m_viewObserver);
    m_screenSize = primaryScreenSize();
    m_oldScreenSize = m_screenSize;

    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame);
    m_shownColor = ::shownColor(style, averageColour(m_mainImage), palette());

    std::optional<QSizeF> fitted;
    if (m_fullSize.isValid()) {
        m_thisSize = QSizeF(m_fullSize);
        fitted = WindowGeometry::fitImageToScreen(m_screenSize, m_thisSize, m_dockConstant);
    }
    if (fitted) {
        m_thisSize = *fitted;
        m_containerSize = WindowGeometry::contentSize(m_thisSize, m_toolbarHeight);
        m_delegate.resizeWindowToContent(m_uuid, m_containerSize);
    } else {
        // Nothing to fit (the file could not be read): the window keeps its
        // size, and a window not shown yet appears at a modest one.
        QWidget* window = m_delegate.windowsDictionary.value(m_uuid);
        if (window && !window->isVisible())
            m_delegate.resizeWindowToContent(
                m_uuid, WindowGeometry::contentSize(QSizeF(640, 480), m_toolbarHeight));
    }
    Q_EMIT imageLoaded();
}

QSize Home::displayTarget() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(1920, 1080);
    return (QSizeF(screen->availableGeometry().size()) * screen->devicePixelRatio()).toSize();
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
    m_currentIndexInFolder = index;
    m_filePath = path;
    m_viewObserver.setFilePath(m_filePath);
    QTimer::singleShot(0, this, &Home::loadCurrentFile);
}

void Home::loadCurrentFile() {
    animateOpacity(1.0);
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
    const double toolbarHeight = m_visualStyleAsFrame.wrappedValue() ? 52 : 0;
    if (toolbarHeight == m_toolbarHeight && m_appeared)
        return;
    m_toolbarHeight = toolbarHeight;
    applyStyle();
    Q_EMIT styleChanged(m_visualStyleAsFrame.wrappedValue());
    if (m_appeared && !m_mainImage.isNull())
        afterImageLoad();
}

void Home::applyStyle() {
    const VISUALSTYLE style = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame);
    const int inset = int(visualstyle::imageInset(style));
    m_toolbarBand->setFixedHeight(int(m_toolbarHeight));
    m_toolbarBand->setVisible(m_toolbarHeight > 0);
    layout()->setContentsMargins(inset, 0, inset, inset);
    m_windowMover->setEnabled(style == VISUALSTYLE::FRAMELESS && !m_imageArea->canPan());
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
        stepToPrevious();
        break;
    case Event::rightArrow:
        stepToNext();
        break;
    case Event::equal:
        zoomIn();
        break;
    case Event::minus:
        zoomOut();
        break;
    case Event::period:
        zoomReset();
        break;
    case Event::cmdC:
        if (!m_mainImage.isNull()) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setImage(m_mainImage);
        }
        break;
    case Event::cmdW:
        if (QWidget* window = m_delegate.windowsDictionary.value(m_uuid))
            window->close();
        break;
    case Event::cmdR:
        m_visualStyleAsFrame = !m_visualStyleAsFrame.wrappedValue();
        m_delegate.refreshAllViewers();
        break;
    case Event::deleteKey:
    case Event::upArrow:
    case Event::downArrow:
    case Event::space:
    case Event::cmdP:
        break;
    }
    return true;
}

void Home::keyPressEvent(QKeyEvent* event) {
    const auto mapped = KeyAwareView::eventFor(event->key(), event->modifiers());
    if (!mapped) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (*mapped == KeyAwareView::Event::leftArrow || *mapped == KeyAwareView::Event::rightArrow)
        Trace::keyPressed();
    onEvent(*mapped);
    event->accept();
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
