#include "map/PlaceIndex.h"
#include "map/ReverseGeocoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

Place place(const char* name, double latitude, double longitude, quint32 population) {
    return Place{latitude,
                 longitude,
                 population,
                 QString::fromUtf8(name),
                 QStringLiteral("State"),
                 QStringLiteral("Country")};
}

QString nameNear(const PlaceIndex& index, double latitude, double longitude) {
    const Place* found = index.placeNear(latitude, longitude);
    return found ? found->name : QStringLiteral("(none)");
}

} // namespace

TEST(PlaceIndex, populationOutweighsASmallDifferenceInDistance) {
    // The Eiffel Tower is nearer to Neuilly's centre than to that of Paris.
    const PlaceIndex index({place("Neuilly-sur-Seine", 48.8846, 2.26965, 61300),
                            place("Paris", 48.85341, 2.3488, 2138551)});
    EXPECT_LT(distanceKm(48.8584, 2.2945, 48.8846, 2.26965),
              distanceKm(48.8584, 2.2945, 48.85341, 2.3488));
    EXPECT_EQ(nameNear(index, 48.8584, 2.2945), "Paris");
    // Standing in Neuilly's centre still names Neuilly.
    EXPECT_EQ(nameNear(index, 48.8846, 2.26965), "Neuilly-sur-Seine");
}

TEST(PlaceIndex, aTownYouStandInBeatsADistantBigCity) {
    // A town of 15 000 and a city of 10 million 40 km to the east.
    const PlaceIndex index(
        {place("Town", 10.0, 20.0, 15000), place("Metropolis", 10.0, 20.365, 10000000)});
    EXPECT_EQ(nameNear(index, 10.0, 20.02), "Town");
    // Nearer to the city than to the town, the city wins.
    EXPECT_EQ(nameNear(index, 10.0, 20.2), "Metropolis");
}

TEST(PlaceIndex, nothingBeyondFiftyKilometres) {
    const PlaceIndex index({place("Harbour", 0.0, 0.0, 500000)});
    EXPECT_EQ(nameNear(index, 0.0, 0.4), "Harbour"); // 44 km
    EXPECT_EQ(nameNear(index, 0.0, 0.5), "(none)");  // 56 km
    EXPECT_EQ(nameNear(index, 0.5, 0.0), "(none)");
    EXPECT_EQ(nameNear(index, std::nan(""), 0.0), "(none)");
    EXPECT_EQ(PlaceIndex({}).placeNear(0, 0), nullptr);
}

TEST(PlaceIndex, placesAcrossTheDateLineAreNear) {
    const PlaceIndex index(
        {place("East", -17.0, 179.95, 20000), place("Far", -17.0, 170.0, 1000000)});
    EXPECT_EQ(nameNear(index, -17.0, -179.95), "East");
    EXPECT_NEAR(distanceKm(-17.0, 179.95, -17.0, -179.95), 10.6, 0.2);
}

TEST(PlaceIndex, unknownPopulationCountsAsAVillage) {
    const PlaceIndex index(
        {place("Listed without people", 5.0, 5.0, 0), place("Village", 5.0, 5.1, 1000)});
    // Same distance, same weight: each wins on its own side.
    EXPECT_EQ(nameNear(index, 5.0, 5.04), "Listed without people");
    EXPECT_EQ(nameNear(index, 5.0, 5.06), "Village");
}

TEST(ReverseGeocoder, namesPlacesInEveryHemisphere) {
    struct Case {
        double latitude, longitude;
        const char *locality, *country;
    };
    const Case cases[] = {
        {48.8584, 2.2945, "Paris", "France"},              // the Eiffel Tower
        {51.501, -0.141, "London", "United Kingdom"},      // Buckingham Palace
        {-33.8568, 151.2153, "Sydney", "Australia"},       // the Opera House
        {-23.5505, -46.6333, "São Paulo", "Brazil"},       // Praça da Sé
        {-34.6037, -58.3816, "Buenos Aires", "Argentina"}, // the Obelisco
        {35.6586, 139.7454, "Tokyo", "Japan"},             // Tokyo Tower
        {-33.9249, 18.4241, "Cape Town", "South Africa"},  // the city centre
        {40.758, -73.9855, "New York", "United States of America"},
        {48.8049, 2.1204, "Versailles", "France"}, // a town by a big city
        {52.3906, 13.0645, "Potsdam", "Germany"},  // and another
    };
    for (const Case& c : cases) {
        const auto mark = ReverseGeocoder::placeMarkAt(c.latitude, c.longitude);
        ASSERT_TRUE(mark.has_value()) << c.locality;
        EXPECT_EQ(mark->locality.value_or(QString()), QString::fromUtf8(c.locality));
        EXPECT_EQ(mark->country.value_or(QString()), QString::fromUtf8(c.country)) << c.locality;
    }
    const auto paris = ReverseGeocoder::placeMarkAt(48.8584, 2.2945);
    ASSERT_TRUE(paris.has_value());
    EXPECT_EQ(paris->administrativeArea.value_or(QString()),
              QString::fromUtf8("Île-de-France Region"));
}

TEST(ReverseGeocoder, namesNothingAtSea) {
    EXPECT_FALSE(ReverseGeocoder::placeMarkAt(30.0, -40.0).has_value());   // mid-Atlantic
    EXPECT_FALSE(ReverseGeocoder::placeMarkAt(0.0, 0.0).has_value());      // Gulf of Guinea
    EXPECT_FALSE(ReverseGeocoder::placeMarkAt(-40.0, -140.0).has_value()); // South Pacific
    EXPECT_FALSE(ReverseGeocoder::placeMarkAt(95.0, 400.0).has_value());
}

TEST(ReverseGeocoder, answersLaterOnTheContextsThread) {
    ReverseGeocoder geocoder;
    QObject context;
    bool answered = false;
    QList<PlaceMark> answer;
    geocoder.reverseGeocodeLocation(-33.8568, 151.2153, &context,
                                    [&](const QList<PlaceMark>& marks) {
                                        EXPECT_EQ(QThread::currentThread(), context.thread());
                                        answered = true;
                                        answer = marks;
                                    });
    EXPECT_FALSE(answered); // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    ASSERT_EQ(answer.size(), 1);
    EXPECT_EQ(answer.first().locality, QStringLiteral("Sydney"));

    answered = false;
    geocoder.reverseGeocodeLocation(30.0, -40.0, &context, [&](const QList<PlaceMark>& marks) {
        answered = true;
        answer = marks;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    EXPECT_TRUE(answer.isEmpty());
}

TEST(ReverseGeocoder, noAnswerOnceTheContextIsGone) {
    ReverseGeocoder geocoder;
    bool answered = false;
    {
        QObject context;
        geocoder.reverseGeocodeLocation(35.6586, 139.7454, &context,
                                        [&](const QList<PlaceMark>&) { answered = true; });
    }
    // A later request that is answered shows the earlier one had its turn.
    QObject living;
    bool later = false;
    geocoder.reverseGeocodeLocation(35.6586, 139.7454, &living,
                                    [&](const QList<PlaceMark>&) { later = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return later; }, 10000));
    QTest::qWait(50);
    EXPECT_FALSE(answered);
}
