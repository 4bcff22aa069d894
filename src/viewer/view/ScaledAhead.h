#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>

#include <functional>
#include <memory>

// Pictures scaled to the size a view will draw them at, made on a worker
// before they are shown: a step to a prefetched neighbour then only copies
// pixels, where scaling a screen-sized decode smoothly takes the main thread
// about 10 ms. Also keeps the picture a view stops showing, for a step back.
// Pictures are told apart by QImage::cacheKey(). Main thread only.
class ScaledAhead : public QObject {
public:
    explicit ScaledAhead(QObject* parent = nullptr);

    // How every picture here is scaled, on a worker or at once.
    static QImage smoothlyScaled(const QImage& image, QSize devicePixels);

    // Starts scaling image to devicePixels on a worker, unless it is kept or
    // on its way already.
    void prepare(const QImage& image, QSize devicePixels);
    // Keeps a picture already scaled from image.
    void keep(const QImage& image, const QPixmap& scaled);
    // The picture kept for image at devicePixels, handed over; null if none.
    // One a worker is scaling is waited for (it started earlier than a scale
    // here would); one still queued is scaled here instead.
    QPixmap take(const QImage& image, QSize devicePixels);
    // Scales what is kept again where the size it is drawn at has changed
    // (the window was refitted or resized): sizeFor gives it for a picture's
    // size, an empty size where none is needed.
    void refit(const std::function<QSize(QSize)>& sizeFor);

private:
    struct Entry {
        QImage source; // shared with the decoded picture
        QPixmap scaled;
    };
    struct Job;
    void store(const QImage& source, QPixmap scaled);
    std::shared_ptr<Job> pendingJob(const QImage& source, QSize size) const;
    // Where the picture scaled from source to size is kept; -1 if nowhere.
    qsizetype indexOf(const QImage& source, QSize size) const;

    QList<Entry> m_entries; // the most recent last
    QList<std::shared_ptr<Job>> m_pending;
};
