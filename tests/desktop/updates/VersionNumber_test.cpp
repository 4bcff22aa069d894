#include "desktop/updates/VersionNumber.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* a;
    const char* b;
    int order; // sign of compareVersions(a, b)
};

TEST(VersionNumber, ComparesReleasesAndPreReleasesAsPeopleReadThem) {
    const Case cases[] = {
        {"1.10", "1.9", 1}, // numbers, not text
        {"1.9", "1.10", -1},
        {"1.0", "1.0.0", 0}, // missing parts are zero
        {"1.0.0.0", "1", 0},
        {"1.0.1", "1.0", 1},
        {"2", "1.99.99", 1},
        {"0.1.0", "0.1.0", 0},
        {"v1.2", "1.2", 0},        // a leading v
        {"1.2+build.7", "1.2", 0}, // build metadata is ignored
        {"01.002", "1.2", 0},      // leading zeros
        {"1.0-rc1", "1.0", -1},    // a pre-release is older than its release
        {"1.0", "1.0b2", 1},
        {"1.0-beta", "0.9", 1}, // but newer than the one before
        {"1.0-alpha", "1.0-beta", -1},
        {"1.0a1", "1.0b1", -1},
        {"1.0-beta.2", "1.0-beta.10", -1},
        {"1.0-beta.2", "1.0-rc.1", -1},
        {"1.0-dev", "1.0-alpha", -1},
        {"1.0-rc", "1.0-rc.1", -1},
        {"1.0-RC1", "1.0-rc1", 0},
        {"1.0-1", "1.0-a", -1},   // a number before a word
        {"1.0-foo", "1.0-rc", 1}, // unknown words after the known ones
        // Parts longer than any integer still compare by value.
        {"1.123456789012345678901234567890", "1.123456789012345678901234567889", 1},
        {"99999999999999999999", "100000000000000000000", -1},
        {"garbage", "0.0.1", -1}, // no version at all is older than any
        {"", "", 0},
    };
    for (const Case& c : cases) {
        const int order = compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b));
        EXPECT_EQ((order > 0) - (order < 0), c.order) << c.a << " vs " << c.b;
        const int reverse = compareVersions(QString::fromUtf8(c.b), QString::fromUtf8(c.a));
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order) << c.b << " vs " << c.a;
    }
}

TEST(VersionNumber, ParsesTheReleaseAndTheTag) {
    const auto beta = VersionNumber::parse(u"v2.10.0-beta.3+abc");
    ASSERT_TRUE(beta);
    EXPECT_EQ(beta->release, (QStringList{"2", "10", "0"}));
    EXPECT_EQ(beta->preRelease, (QStringList{"beta", "3"}));
    const auto compact = VersionNumber::parse(u" 1.0b2 ");
    ASSERT_TRUE(compact);
    EXPECT_EQ(compact->release, (QStringList{"1", "0"}));
    EXPECT_EQ(compact->preRelease, (QStringList{"b", "2"}));
    EXPECT_FALSE(VersionNumber::parse(u"beta"));
    EXPECT_FALSE(VersionNumber::parse(u""));
    EXPECT_FALSE(VersionNumber::parse(u".1"));
}

} // namespace
