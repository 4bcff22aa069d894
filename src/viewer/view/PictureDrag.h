#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <functional>

class QMimeData;
class QWidget;

// The first local image file among dropped URLs (an accepted extension, a
// regular file); empty when there is none.
QString droppedImageFile(const QMimeData* mime);

// Hands the shown picture to a drop target (another program, the desktop)
// when the user drags it out of the view that shows it.
class PictureDragOut : public QObject {
    Q_OBJECT
public:
    // What to hand over; a null image leaves the drag to others (nothing to
    // drag, or a drag that pans or moves the window).
    using Picture = std::function<QImage()>;

    PictureDragOut(QWidget* view, Picture picture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start(const QImage& image);

    QWidget* m_view;
    Picture m_picture;
    QPoint m_pressAt;
};
