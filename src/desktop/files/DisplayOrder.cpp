#include "desktop/files/DisplayOrder.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstring>
#include <unicode/ucol.h>

namespace {

UCollator* openCollator() {
    // Qt's collator compares code points in the C locale; a session without
    // a language setting still gets the file manager's order.
    const QLocale locale = QLocale().language() == QLocale::C
                               ? QLocale(QLocale::English, QLocale::UnitedStates)
                               : QLocale();
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(
        locale.bcp47Name().replace(QLatin1Char('-'), QLatin1Char('_')).toLatin1(), &status);
    if (U_FAILURE(status))
        return nullptr;
    // What QCollator sets for case-insensitive, numeric, punctuation-aware
    // comparison; secondary strength is what makes case differences vanish.
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    return collator;
}

} // namespace

DisplayOrder::DisplayOrder(qsizetype expectedNames) : m_collator(openCollator()) {
    m_entries.reserve(size_t(expectedNames));
    m_keys.reserve(expectedNames * 48);
}

void DisplayOrder::loadCollationRules() {
    if (UCollator* collator = openCollator())
        ucol_close(collator);
}

DisplayOrder::~DisplayOrder() {
    if (m_collator)
        ucol_close(m_collator);
}

void DisplayOrder::append(QStringView name) {
    const qsizetype offset = m_keys.size();
    const auto* text = reinterpret_cast<const UChar*>(name.utf16());
    const auto length = int32_t(name.size());
    // Most keys fit in the first guess; ICU tells the size of the others.
    qsizetype room = 32 + name.size() * 2;
    for (;;) {
        m_keys.resize(offset + room);
        auto* key = reinterpret_cast<uint8_t*>(m_keys.data() + offset);
        const int32_t written =
            m_collator ? ucol_getSortKey(m_collator, text, length, key, int32_t(room)) : 0;
        if (written <= 0) {
            // No collator: the empty key, so names keep the order given.
            key[0] = 0;
            m_keys.resize(offset + 1);
            break;
        }
        if (written <= room) {
            m_keys.resize(offset + written);
            break;
        }
        room = written;
    }
    quint64 prefix = 0;
    for (qsizetype i = 0; i < 8; ++i)
        prefix = (prefix << 8) |
                 (offset + i < m_keys.size() ? static_cast<quint8>(m_keys[offset + i]) : 0);
    m_entries.push_back({prefix, quint32(offset), quint32(m_entries.size())});
}

void DisplayOrder::appendUtf8(QByteArrayView name) {
    if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
        m_utf16.resize(name.size());
        std::copy(name.begin(), name.end(), m_utf16.begin());
        append(QStringView(m_utf16.constData(), m_utf16.size()));
    } else {
        append(QString::fromUtf8(name));
    }
}

std::vector<quint32> DisplayOrder::positions() {
    std::vector<Entry>& entries = m_entries;
    const char* keys = m_keys.constData();
    // Keys end in their only zero byte, so a prefix whose last byte is zero
    // holds the whole key.
    std::sort(entries.begin(), entries.end(), [keys](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if ((a.prefix & 0xff) != 0) {
            const int rest = std::strcmp(keys + a.offset + 8, keys + b.offset + 8);
            if (rest != 0)
                return rest < 0;
        }
        return a.position < b.position;
    });
    std::vector<quint32> order;
    order.reserve(entries.size());
    for (const Entry& e : entries)
        order.push_back(e.position);
    return order;
}

bool DisplayOrder::before(QStringView a, QStringView b) const {
    if (!m_collator)
        return false;
    return ucol_strcoll(m_collator, reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
                        reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size())) == UCOL_LESS;
}
