#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// A release's version as feeds and the program spell it: numeric parts
// separated by dots ("1.10.2"), optionally followed by a pre-release tag
// ("1.0-beta.2", "1.0b2", "2.0rc1") and build metadata after '+', which is
// ignored. A leading "v" is allowed.
struct VersionNumber {
    // Decimal digit strings without leading zeros ("0" for zero): parts of
    // any length compare correctly without overflowing an integer.
    QStringList release;
    // The pre-release tag split into runs of letters and of digits
    // ("beta.2" -> beta, 2); empty for a release.
    QStringList preRelease;

    // nullopt when the text starts with no number at all.
    static std::optional<VersionNumber> parse(QStringView text);
};

// Negative, zero or positive as a is older than, the same as or newer than
// b. Missing parts count as zero (1.0 == 1.0.0); a pre-release is older
// than its release (1.0-rc1 < 1.0); tags compare part by part, numbers by
// value, and the usual words in their order (dev < alpha < beta < pre <
// rc), other words alphabetically.
int compareVersions(const VersionNumber& a, const VersionNumber& b);

// The same for texts; a text that is no version is older than any version.
int compareVersions(QStringView a, QStringView b);
