#include "desktop/updates/VersionNumber.h"

#include <gtest/gtest.h>

TEST(VersionNumber, ComparesReleasesAndPreReleasesAsPeopleReadThem) {
    // Oldest first; "=" joins versions that are the same. Numbers count, not
    // text; missing parts are zero; a leading v, leading zeros and build
    // metadata are ignored; a pre-release is older than its release, a number
    // before a word, the known words in their order and unknown ones after.
    const QString order =
        "garbage < 0.0.1 < 0.9 < 1.0-1 < 1.0-dev < 1.0-alpha < 1.0a1 < 1.0-beta < 1.0b1 < "
        "1.0b2 = 1.0-beta.2 < 1.0-beta.10 < 1.0-rc < 1.0-rc.1 = 1.0-RC1 = 1.0rc1 < 1.0-foo < "
        "1.0 = 1.0.0 = 1 = 1.0.0.0 < 1.0.1 < 1.2 = v1.2 = 1.2+build.7 = 01.002 < 1.9 < 1.10 < "
        "1.99.99 < 1.123456789012345678901234567889 < 1.123456789012345678901234567890 < 2 < "
        "99999999999999999999 < 100000000000000000000";
    const QStringList groups = order.split(" < ");
    for (qsizetype i = 0; i < groups.size(); ++i) {
        for (qsizetype j = 0; j < groups.size(); ++j) {
            for (const QString& a : groups[i].split(" = ")) {
                for (const QString& b : groups[j].split(" = ")) {
                    const int sign = (compareVersions(a, b) > 0) - (compareVersions(a, b) < 0);
                    EXPECT_EQ(sign, (i > j) - (i < j)) << qPrintable(a) << " vs " << qPrintable(b);
                }
            }
        }
    }
    EXPECT_EQ(compareVersions(u"", u""), 0);
}

TEST(VersionNumber, ParsesTheReleaseAndTheTag) {
    const auto beta = VersionNumber::parse(u"v2.10.0-beta.3+abc");
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->release, (QStringList{"2", "10", "0"}));
    EXPECT_EQ(beta->preRelease, (QStringList{"beta", "3"}));
    const auto compact = VersionNumber::parse(u" 1.0b02 ");
    ASSERT_TRUE(compact);
    EXPECT_EQ(compact->release, (QStringList{"1", "0"}));
    EXPECT_EQ(compact->preRelease, (QStringList{"b", "2"}));
    for (const char16_t* none : {u"beta", u"", u".1"})
        EXPECT_FALSE(VersionNumber::parse(none));
}
