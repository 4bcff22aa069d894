#include "viewer/view/PictureDrag.h"

#include "desktop/files/FolderListing.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

QString droppedImageFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && hasAcceptedExtension(url.toLocalFile()) &&
            QFileInfo(url.toLocalFile()).isFile())
            return url.toLocalFile();
    }
    return {};
}

PictureDragOut::PictureDragOut(QWidget* view, Picture picture)
    : QObject(view), m_view(view), m_picture(std::move(picture)) {
    view->installEventFilter(this);
}

bool PictureDragOut::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_view)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_pressAt = mouse->position().toPoint();
    } else if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons().testFlag(Qt::LeftButton) &&
            (mouse->position().toPoint() - m_pressAt).manhattanLength() >=
                QApplication::startDragDistance()) {
            const QImage image = m_picture();
            if (!image.isNull()) {
                start(image);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void PictureDragOut::start(const QImage& image) {
    auto* drag = new QDrag(m_view);
    auto* mime = new QMimeData;
    mime->setImageData(image);
    drag->setMimeData(mime);
    drag->setPixmap(
        QPixmap::fromImage(image.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(Qt::CopyAction);
}
