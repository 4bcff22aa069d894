#include "map/PlaceIndex.h"

#include "map/GeonamesLibrary.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double earthRadiusKm = 6371.0;
constexpr double kmPerDegreeLatitude = earthRadiusKm * M_PI / 180.0;

double radians(double degrees) {
    return degrees * M_PI / 180.0;
}

QString text(const gchar* value) {
    return value ? QString::fromUtf8(value) : QString();
}

std::vector<Place> readGeonames() {
    const GeonamesLibrary& api = libgeonames();
    std::vector<Place> places;
    if (!api.ok())
        return places;
    const gint count = api.geonames_get_n_cities();
    places.reserve(std::max(0, count));
    for (gint i = 0; i < count; ++i) {
        GeonamesCity* city = api.geonames_get_city(i);
        if (!city)
            continue;
        Place place;
        place.latitude = api.geonames_city_get_latitude(city);
        place.longitude = api.geonames_city_get_longitude(city);
        place.population = api.geonames_city_get_population(city);
        place.name = text(api.geonames_city_get_name(city));
        place.state = text(api.geonames_city_get_state(city));
        place.country = text(api.geonames_city_get_country(city));
        api.geonames_city_free(city);
        if (std::isfinite(place.latitude) && std::isfinite(place.longitude) &&
            !place.name.isEmpty())
            places.push_back(std::move(place));
    }
    return places;
}

} // namespace

double distanceKm(double latitude1, double longitude1, double latitude2, double longitude2) {
    const double dLatitude = radians(latitude2 - latitude1);
    const double dLongitude = radians(longitude2 - longitude1);
    const double a = std::pow(std::sin(dLatitude / 2), 2) +
                     std::cos(radians(latitude1)) * std::cos(radians(latitude2)) *
                         std::pow(std::sin(dLongitude / 2), 2);
    return 2 * earthRadiusKm * std::asin(std::min(1.0, std::sqrt(a)));
}

double placeScore(double distanceKm, quint32 population) {
    // Places listed without a population are at least villages.
    return distanceKm / std::cbrt(std::max<double>(population, 1000));
}

PlaceIndex::PlaceIndex(std::vector<Place> places) : m_places(std::move(places)) {
    std::sort(m_places.begin(), m_places.end(),
              [](const Place& a, const Place& b) { return a.latitude < b.latitude; });
}

const Place* PlaceIndex::placeNear(double latitude, double longitude) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return nullptr;
    // Only a band of latitude can hold places within the distance; longitude
    // is checked by the exact distance, which also handles the date line.
    const double band = maximumDistanceKm / kmPerDegreeLatitude;
    const auto first =
        std::lower_bound(m_places.begin(), m_places.end(), latitude - band,
                         [](const Place& place, double value) { return place.latitude < value; });
    const Place* best = nullptr;
    double bestScore = 0;
    for (auto it = first; it != m_places.end() && it->latitude <= latitude + band; ++it) {
        const double distance = distanceKm(latitude, longitude, it->latitude, it->longitude);
        if (distance > maximumDistanceKm)
            continue;
        const double score = placeScore(distance, it->population);
        if (!best || score < bestScore) {
            best = &*it;
            bestScore = score;
        }
    }
    return best;
}

const PlaceIndex& PlaceIndex::geonames() {
    // A function-local static is built once even when several threads ask.
    static const PlaceIndex index(readGeonames());
    return index;
}
