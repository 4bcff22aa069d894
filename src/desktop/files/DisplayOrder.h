#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QVarLengthArray>
#include <QtGlobal>
#include <vector>

struct UCollator;

// The file manager's order of names: case-insensitive, digit runs by value,
// locale-aware (US English when the session has no language), and names
// that compare equal keep the order they were given in.
//
// This is QCollator's order (ICU with the settings QCollator gives it), with
// every ICU sort key in one buffer: in a folder of 100,000 names a key object
// per name costs more than the collation itself.
class DisplayOrder {
public:
    explicit DisplayOrder(qsizetype expectedNames = 0);
    ~DisplayOrder();
    DisplayOrder(const DisplayOrder&) = delete;
    DisplayOrder& operator=(const DisplayOrder&) = delete;

    // Reads the locale's collation rules into ICU's cache (about 1 ms the
    // first time), so that a later order opens its collator at once. Any
    // thread.
    static void loadCollationRules();

    void append(QStringView name);
    void appendUtf8(QByteArrayView name);
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // The positions of the appended names (0 for the first) in display order.
    // Sorts in place: a large folder's listing is sorted once.
    std::vector<quint32> positions();

    // True when a comes before b in this order (false for names that
    // compare equal).
    bool before(QStringView a, QStringView b) const;

private:
    struct Entry {
        quint64 prefix; // the key's first eight bytes, for most comparisons
        quint32 offset; // where the key starts in m_keys
        quint32 position;
    };

    UCollator* m_collator = nullptr;
    QByteArray m_keys; // every key with its closing zero; grows without clearing

    std::vector<Entry> m_entries;
    QVarLengthArray<char16_t, 256> m_utf16;
};
