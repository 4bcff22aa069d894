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
    for (qsizetype i = 0; i < groups.size(); ++i)
        for (qsizetype j = 0; j < groups.size(); ++j)
            for (const QString& a : groups[i].split(" = "))
                for (const QString& b : groups[j].split(" = ")) {
                    const int sign = (compareVersions(a, b) > 0) - (compareVersions(a, b) < 0);
                    EXPECT_EQ(sign, (i > j) - (i < j)) << qPrintable(a) << " vs " << qPrintable(b);
                }
    EXPECT_EQ(compareVersions(u"", u""), 0);
}
