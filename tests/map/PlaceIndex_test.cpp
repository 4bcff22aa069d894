#include "map/GeoLocation.h"
#include "map/PlaceIndex.h"
#include "map/ReverseGeocoder.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

Place place(const char* name, double latitude, double longitude, quint32 population) {
    return Place{latitude, longitude, population, QString::fromUtf8(name), "State", "Country"};
}

} // namespace

TEST(PlaceIndex, PopulationWeighsAgainstDistanceWithinFiftyKilometres) {
    const PlaceIndex index(
        {place("Neuilly-sur-Seine", 48.8846, 2.26965, 61300),
         place("Paris", 48.85341, 2.3488, 2138551), place("Town", 10.0, 20.0, 15000),
         place("Metropolis", 10.0, 20.365, 10000000), place("Harbour", 0.0, 0.0, 500000),
         place("East", -17.0, 179.95, 20000), place("Far", -17.0, 170.0, 1000000),
         place("Listed without people", 5.0, 5.0, 0), place("Village", 5.0, 5.1, 1000)});
    const struct {
        double latitude, longitude;
        const char* name;
    } cases[] = {
        // The Eiffel Tower is nearer to Neuilly's centre than to that of Paris.
        {48.8584, 2.2945, "Paris"},
        {48.8846, 2.26965, "Neuilly-sur-Seine"},
        // A town of 15 000 you stand in beats a city of 10 million 40 km away,
        // until you are nearer to the city.
        {10.0, 20.02, "Town"},
        {10.0, 20.2, "Metropolis"},
        {0.0, 0.4, "Harbour"}, // 44 km
        {0.0, 0.5, ""},        // 56 km
        {0.5, 0.0, ""},
        {std::nan(""), 0.0, ""},
        {0.0, HUGE_VAL, ""},
        {-17.0, -179.95, "East"}, // across the date line
        // An unknown population counts as a village.
        {5.0, 5.04, "Listed without people"},
        {5.0, 5.06, "Village"},
    };
    for (const auto& c : cases) {
        const Place* found = index.placeNear(c.latitude, c.longitude);
        EXPECT_EQ(found ? found->name : QString(), QString::fromUtf8(c.name)) << c.name;
    }
    EXPECT_NEAR(distanceKm(-17.0, 179.95, -17.0, -179.95), 10.6, 0.2);
    EXPECT_EQ(PlaceIndex({}).placeNear(0, 0), nullptr);
}

// Paris in full and Rio de Janeiro are the --info test's and the offline map's;
// which of several places near is the index's.
TEST(ReverseGeocoder, NamesPlacesInEveryHemisphereAndNothingAtSea) {
    const struct {
        double latitude, longitude;
        const char *locality, *country;
    } cases[] = {
        {48.8584, 2.2945, "Paris", "France"},        // the Eiffel Tower
        {-33.8568, 151.2153, "Sydney", "Australia"}, // the Opera House
        {40.758, -73.9855, "New York", "United States of America"},
        {30.0, -40.0, nullptr, nullptr}, // mid-Atlantic
        {95.0, 400.0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto mark = ReverseGeocoder::placeMarkAt(c.latitude, c.longitude);
        EXPECT_EQ(mark.has_value(), c.locality != nullptr) << c.latitude << ',' << c.longitude;
        if (mark && c.locality) {
            EXPECT_EQ(mark->locality, QString::fromUtf8(c.locality));
            EXPECT_EQ(mark->country, QString::fromUtf8(c.country)) << c.locality;
        }
    }
}

TEST(ReverseGeocoder, AnswersLaterOnTheContextsThreadAndNotOnceItIsGone) {
    ReverseGeocoder geocoder;
    bool gone = false;
    {
        QObject context;
        geocoder.reverseGeocodeLocation(35.6586, 139.7454, &context,
                                        [&](const QList<PlaceMark>&) { gone = true; });
    }
    QObject context;
    QList<QList<PlaceMark>> answers;
    for (const GeoLocation at : {GeoLocation{-33.8568, 151.2153}, GeoLocation{30.0, -40.0}})
        geocoder.reverseGeocodeLocation(at.latitude, at.longitude, &context,
                                        [&](const QList<PlaceMark>& marks) {
                                            EXPECT_EQ(QThread::currentThread(), context.thread());
                                            answers << marks;
                                        });
    EXPECT_TRUE(answers.isEmpty()); // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, 10000));
    // The answer at sea is empty, whichever came first.
    EXPECT_EQ(answers[0].size() + answers[1].size(), 1);
    for (const QList<PlaceMark>& marks : answers)
        EXPECT_TRUE(marks.isEmpty() || marks.first().locality == QStringLiteral("Sydney"));
    QTest::qWait(50);
    EXPECT_FALSE(gone);
}
