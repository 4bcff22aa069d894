// A viewer window's zoom: the image area zooms, and the window follows
// with its drag modes, its fit in full screen and the full-resolution decode.
#include "viewer/loading/ImageLoader.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/FullScreenState.h"
#include "viewer/view/Home.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/WindowDragMover.h"

#include <QCursor>

void Home::zoomIn() {
    m_imageArea->zoomIn();
}

void Home::zoomOut() {
    m_imageArea->zoomOut();
}

void Home::zoomReset() {
    m_imageArea->resetZoom();
}

void Home::zoomActualSize() {
    // About the pointer when it is over the picture's area, else its middle.
    const QPoint pointer = m_imageArea->mapFromGlobal(QCursor::pos());
    m_imageArea->zoomToActualSize(m_picture.fullSize(), m_imageArea->rect().contains(pointer)
                                                            ? pointer
                                                            : m_imageArea->rect().center());
}

void Home::zoomChanged() {
    updateDragModes();
    if (m_fullScreen->active())
        fitWindow(false);
    // Drawn larger than the screen-sized decode: the full resolution helps.
    if (m_picture.wantsFullResolution(m_imageArea->imageView()->imageRect().size() *
                                      devicePixelRatioF()))
        m_loader->requestFullResolution(m_filePath);
}

void Home::updateDragModes() {
    m_windowMover->setEnabled(!m_visualStyleAsFrame.value() && !m_imageArea->canPan() &&
                              !m_fullScreen->active());
}
