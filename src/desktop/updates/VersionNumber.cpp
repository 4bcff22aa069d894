#include "desktop/updates/VersionNumber.h"

#include <algorithm>

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString withoutLeadingZeros(QStringView digits) {
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == QLatin1Char('0'))
        ++first;
    return digits.mid(first).toString();
}

// Two digit strings without leading zeros: the longer is larger.
int compareNumbers(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int wordRank(const QString& word) {
    static const QStringList order{"dev", "a", "alpha", "b", "beta", "pre", "preview", "c", "rc"};
    static const int ranks[] = {0, 1, 1, 2, 2, 3, 3, 4, 4};
    const qsizetype at = order.indexOf(word);
    return at < 0 ? -1 : ranks[at];
}

int compareWords(const QString& a, const QString& b) {
    const int rankA = wordRank(a), rankB = wordRank(b);
    if (rankA >= 0 && rankB >= 0)
        return rankA - rankB;
    if (rankA >= 0 || rankB >= 0) // the known words before any other
        return rankA >= 0 ? -1 : 1;
    return a.compare(b);
}

// A number ranks below a word where the two tags differ ("1.0-1" < "1.0-a").
int compareTagParts(const QString& a, const QString& b) {
    const bool numberA = isDigit(a.front()), numberB = isDigit(b.front());
    if (numberA && numberB)
        return compareNumbers(a, b);
    if (numberA != numberB)
        return numberA ? -1 : 1;
    return compareWords(a, b);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

std::optional<VersionNumber> VersionNumber::parse(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('v'), Qt::CaseInsensitive))
        text = text.mid(1);
    const qsizetype plus = text.indexOf(QLatin1Char('+'));
    if (plus >= 0)
        text = text.left(plus);

    VersionNumber version;
    qsizetype i = 0;
    while (i < text.size() && isDigit(text[i])) {
        const qsizetype start = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        version.release << withoutLeadingZeros(text.mid(start, i - start));
        // A dot continues the release only when a number follows it.
        if (i + 1 < text.size() && text[i] == QLatin1Char('.') && isDigit(text[i + 1]))
            ++i;
        else
            break;
    }
    if (version.release.isEmpty())
        return std::nullopt;

    // The rest is the tag: runs of letters or digits; any other character separates.
    const QStringView tag = text.mid(i);
    for (qsizetype k = 0; k < tag.size();) {
        const QChar c = tag[k];
        if (!c.isLetterOrNumber()) {
            ++k;
            continue;
        }
        const bool digits = isDigit(c);
        const qsizetype start = k;
        while (k < tag.size() && tag[k].isLetterOrNumber() && isDigit(tag[k]) == digits)
            ++k;
        const QStringView run = tag.mid(start, k - start);
        version.preRelease << (digits ? withoutLeadingZeros(run) : run.toString().toLower());
    }
    return version;
}

int compareVersions(const VersionNumber& a, const VersionNumber& b) {
    const qsizetype parts = std::max(a.release.size(), b.release.size());
    const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < parts; ++i) {
        const int order = compareNumbers(a.release.value(i, zero), b.release.value(i, zero));
        if (order != 0)
            return sign(order);
    }
    // The same release: a release is newer than any of its pre-releases.
    if (a.preRelease.isEmpty() != b.preRelease.isEmpty())
        return a.preRelease.isEmpty() ? 1 : -1;
    const qsizetype common = std::min(a.preRelease.size(), b.preRelease.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int order = compareTagParts(a.preRelease[i], b.preRelease[i]);
        if (order != 0)
            return sign(order);
    }
    // "rc.1" is newer than "rc".
    return sign(int(a.preRelease.size() - b.preRelease.size()));
}

int compareVersions(QStringView a, QStringView b) {
    const std::optional<VersionNumber> va = VersionNumber::parse(a);
    const std::optional<VersionNumber> vb = VersionNumber::parse(b);
    if (!va || !vb)
        return int(va.has_value()) - int(vb.has_value());
    return compareVersions(*va, *vb);
}
