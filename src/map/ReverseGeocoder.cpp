#include "map/ReverseGeocoder.h"

#include "map/PlaceIndex.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

std::optional<QString> unlessEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

std::optional<PlaceMark> ReverseGeocoder::placeMarkAt(double latitude, double longitude) {
    const Place* place = PlaceIndex::geonames().placeNear(latitude, longitude);
    if (!place)
        return std::nullopt;
    return PlaceMark{unlessEmpty(place->name), unlessEmpty(place->state),
                     unlessEmpty(place->country)};
}

void ReverseGeocoder::reverseGeocodeLocation(double latitude, double longitude, QObject* context,
                                             Completion completion) {
    if (!context || !completion)
        return;
    // The watcher belongs to the context: gone with it, it calls nobody.
    auto* watcher = new QFutureWatcher<QList<PlaceMark>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, completion = std::move(completion)] {
                         watcher->deleteLater();
                         completion(watcher->result());
                     });
    watcher->setFuture(QtConcurrent::run([latitude, longitude] {
        QList<PlaceMark> marks;
        if (const auto mark = placeMarkAt(latitude, longitude))
            marks.append(*mark);
        return marks;
    }));
}
