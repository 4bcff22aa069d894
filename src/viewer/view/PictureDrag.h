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

// The shown picture for the clipboard or a drag: its pixels, and the file
// it came from (when there still is one) for file managers, browsers'
// uploads and mail programs, which take files rather than pixels.
QMimeData* pictureMimeData(const QImage& image, const QString& filePath);

// Hands the shown picture to a drop target (another program, the desktop)
// when the user drags it out of the view that shows it.
class PictureDragOut : public QObject {
    Q_OBJECT
public:
    // What to hand over; a null image leaves the drag to others (nothing to
    // drag, or a drag that pans or moves the window).
    using Picture = std::function<QImage()>;
    using FilePath = std::function<QString()>;

    PictureDragOut(QWidget* view, Picture picture, FilePath filePath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start(const QImage& image);

    QWidget* m_view;
    Picture m_picture;
    FilePath m_filePath;
    QPoint m_pressAt;
};
