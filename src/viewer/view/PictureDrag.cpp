#include "viewer/view/PictureDrag.h"

#include "desktop/files/FolderListing.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
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

QMimeData* pictureMimeData(const QImage& image, const QString& filePath) {
    auto* mime = new QMimeData;
    mime->setImageData(image);
    if (!filePath.isEmpty() && QFileInfo(filePath).isFile()) {
        const QUrl url = QUrl::fromLocalFile(QFileInfo(filePath).absoluteFilePath());
        mime->setUrls({url});
        // GNOME's and its kin's file managers paste files from this only.
        mime->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
    }
    return mime;
}

PictureDragOut::PictureDragOut(QWidget* view, Picture picture, FilePath filePath)
    : QObject(view), m_view(view), m_picture(std::move(picture)), m_filePath(std::move(filePath)) {
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
    drag->setMimeData(pictureMimeData(image, m_filePath()));
    drag->setPixmap(
        QPixmap::fromImage(image.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    drag->exec(Qt::CopyAction);
}
