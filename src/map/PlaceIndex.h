#pragma once

#include <QString>
#include <vector>

// One named place of the offline list: a city with its state and country.
struct Place {
    double latitude = 0;
    double longitude = 0;
    quint32 population = 0;
    QString name;
    QString state;
    QString country;
};

// Finds the place a position belongs to, among a fixed list of places.
//
// The nearest place is often not the right answer: the Eiffel Tower stands
// closer to the centre of Neuilly-sur-Seine than to the centre of Paris. A
// city's extent grows with its population, so each candidate is scored by
// its distance divided by the cube root of its population (floored at 1000
// people) and the lowest score wins. The cube root keeps the pull of big
// cities moderate: Paris (2.1 million, 4 km) beats Neuilly (61 000, 3.4 km),
// yet a town of 15 000 whose centre is 3 km away still beats a city of
// 10 million 40 km away. Only places within maximumDistanceKm count, so a
// position out at sea names nothing.
class PlaceIndex {
public:
    static constexpr double maximumDistanceKm = 50;

    explicit PlaceIndex(std::vector<Place> places);

    // The best place for the position, or nullptr when none is near enough.
    const Place* placeNear(double latitude, double longitude) const;

    std::size_t size() const { return m_places.size(); }

    // Every city that libgeonames lists; built on first use (thread-safe).
    static const PlaceIndex& geonames();

private:
    std::vector<Place> m_places; // sorted by latitude
};

// Great-circle distance in kilometres.
double distanceKm(double latitude1, double longitude1, double latitude2, double longitude2);

// Lower is better; see PlaceIndex.
double placeScore(double distanceKm, quint32 population);
