#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

// What the geocoder knows about a position; any part may be unknown.
struct PlaceMark {
    std::optional<QString> locality;
    std::optional<QString> administrativeArea;
    std::optional<QString> country;
    friend bool operator==(const PlaceMark&, const PlaceMark&) = default;
};

// Names the place of a position, offline, from libgeonames' city list (see
// PlaceIndex for how the city is chosen). The list is read once per process,
// on first use; asynchronous requests read it on a worker thread, so the
// interface never waits for it. Every member may be called from any thread.
class ReverseGeocoder {
public:
    // An empty list when no place is near.
    using Completion = std::function<void(const QList<PlaceMark>&)>;

    virtual ~ReverseGeocoder() = default;

    // Answers later, on the thread of `context` (the main thread for a
    // widget), never before this call returns. No answer comes once
    // `context` is gone. Called on the thread of `context`.
    virtual void reverseGeocodeLocation(double latitude, double longitude, QObject* context,
                                        Completion completion);

    // Answers at once; the first call waits for the city list to be read.
    static std::optional<PlaceMark> placeMarkAt(double latitude, double longitude);
};
