#include "imageio/heif/HeifItemLocations.h"
#include "imageio/heif/HeifItems.h"
#include "imageio/heif/HeifMetaEdit.h"
#include "imageio/heif/HeifPropertyAssociations.h"
#include "imageio/heif/HeifTransforms.h"
#include "imageio/heif/IsoBoxes.h"

#include "support/HostileFixtures.h"

#include <gtest/gtest.h>

namespace {

HeifProperty extent(int w, int h) {
    QByteArray content(4, '\0');
    isobox::appendBigEndian(content, quint64(w), 4);
    isobox::appendBigEndian(content, quint64(h), 4);
    return HeifProperty::make("ispe", content);
}

HeifProperty rotation(int angle) {
    return HeifProperty::make("irot", QByteArray(1, char(angle)));
}

QByteArray typesOf(const QList<HeifProperty>& properties,
                   const QList<HeifPropertyAssociation>& associations) {
    QByteArray types;
    for (const HeifPropertyAssociation& a : associations)
        types += properties[a.index - 1].type + ' ';
    return types.trimmed();
}

HeifItemLocations parsed(const QByteArray& content) {
    QString error;
    const auto l = HeifItemLocations::parse(reinterpret_cast<const uchar*>(content.constData()),
                                            content.size(), &error);
    EXPECT_TRUE(l.has_value()) << error.toStdString();
    return l.value_or(HeifItemLocations());
}

} // namespace

// Properties are shared between items: turning one item must not turn
// another that uses the same box. Turns come after the descriptive
// properties and keep their combination with a mirror.
TEST(HeifTransforms, TurningOneItemLeavesItsSharedPropertiesAndItsCombinationAlone) {
    QList<HeifProperty> properties = {HeifProperty::make("hvcC", "x"), extent(64, 48), rotation(1)};
    QList<HeifPropertyAssociation> first = {{true, 1}, {false, 2}, {true, 3}};
    const QList<HeifPropertyAssociation> second = first;
    QString error;
    ASSERT_TRUE(turnItemProperties(properties, first, 1, &error)) << error.toStdString();
    EXPECT_EQ(heifItemOrientation(properties, first), 1); // a counter-clockwise turn undone
    EXPECT_EQ(typesOf(properties, first), "hvcC ispe");
    EXPECT_EQ(heifItemOrientation(properties, second), 8);
    EXPECT_EQ(properties[2].bytes, rotation(1).bytes);

    // Turned on, the existing box is used again instead of a copy.
    ASSERT_TRUE(turnItemProperties(properties, first, -1, &error));
    EXPECT_EQ(first, second);
    EXPECT_EQ(properties.size(), 3);

    // A mirror then a turn, with a crop before them: the crop still applies
    // first, and the mirror stays a mirror.
    properties = {extent(64, 48), HeifProperty::make("clap", QByteArray(32, 1)),
                  HeifProperty::make("imir", QByteArray(1, 1)), rotation(2),
                  HeifProperty::make("pixi", "p")};
    QList<HeifPropertyAssociation> item = {{false, 1}, {true, 2}, {true, 3}, {true, 4}, {false, 5}};
    EXPECT_EQ(heifItemOrientation(properties, item), 4); // left-right mirror, then a half turn
    ASSERT_TRUE(turnItemProperties(properties, item, 1, &error)) << error.toStdString();
    EXPECT_EQ(heifItemOrientation(properties, item), 5);
    EXPECT_EQ(typesOf(properties, item).left(15), "ispe pixi clap ");
    EXPECT_EQ(properties[item[0].index - 1].bytes, extent(64, 48).bytes);

    // A crop after a turn would have to be turned itself: refused, unchanged.
    QList<HeifPropertyAssociation> cropLast = {{false, 1}, {true, 4}, {true, 2}};
    const QList<HeifPropertyAssociation> kept = cropLast;
    const qsizetype count = properties.size();
    EXPECT_FALSE(turnItemProperties(properties, cropLast, 1, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(cropLast, kept);
    EXPECT_EQ(properties.size(), count);
}

// Older libheif writes the turn before the extent and the extent as the size
// shown; with the turn moved after it, the extent must be the stored size.
TEST(HeifTransforms, TheOlderLibheifLayoutGetsTheStoredSize) {
    QList<HeifProperty> properties = {rotation(3), extent(33, 65)};
    QList<HeifPropertyAssociation> item = {{false, 1}, {false, 2}};
    QString error;
    ASSERT_TRUE(turnItemProperties(properties, item, 2, &error)) << error.toStdString();
    EXPECT_EQ(typesOf(properties, item), "ispe irot");
    EXPECT_EQ(properties[item[0].index - 1].bytes, extent(65, 33).bytes);
    EXPECT_EQ(heifItemOrientation(properties, item), 8);
}

TEST(HeifItemLocations, MovesOffsetsPastTheRewrittenBytesAndWidensFields) {
    HeifItemLocations l;
    l.version = 1;
    l.offsetSize = 4;
    l.lengthSize = 4;
    l.baseOffsetSize = 4;
    // Before the box, inside 'idat', past the box, and past the box through
    // its base offset.
    l.items = {{1, 0, 0, 0, {{0, 10, 5}}},
               {2, 1, 0, 0, {{0, 0, 8}}},
               {3, 0, 0, 0, {{0, 500, 20}, {0, 600, 20}}},
               {4, 0, 0, 700, {{0, 0, 20}, {0, 30, 20}}}};
    QString error;
    auto moved = relocatedItemLocations(l, 100, 200, 7, 1000, &error);
    ASSERT_TRUE(moved) << error.toStdString();
    EXPECT_EQ(moved->items[0].extents[0].offset, 10u);
    EXPECT_EQ(moved->items[1].extents[0].offset, 0u);
    EXPECT_EQ(moved->items[2].extents[0].offset, 507u);
    EXPECT_EQ(moved->items[2].extents[1].offset, 607u);
    EXPECT_EQ(moved->items[3].baseOffset, 707u);
    EXPECT_EQ(moved->items[3].extents[1].offset, 30u);
    EXPECT_EQ(moved->offsetSize, 4);
    // Written and read again, the same bytes; cut short, refused.
    const QByteArray bytes = moved->serialized();
    EXPECT_EQ(parsed(bytes).serialized(), bytes);
    EXPECT_EQ(parsed(bytes).items[1].construction, 1);
    EXPECT_EQ(parsed(bytes).items[2].extents[1].offset, 607u);
    EXPECT_FALSE(HeifItemLocations::parse(reinterpret_cast<const uchar*>(bytes.constData()),
                                          bytes.size() - 1, &error));

    // A file beyond 4 GiB: the offset no longer fits in four bytes.
    HeifItemLocations large = l;
    large.items = {{1, 0, 0, 0, {{0, 0xFFFFFFF0u, 16}}}};
    moved = relocatedItemLocations(large, 100, 200, 32, 0x100000000, &error);
    ASSERT_TRUE(moved) << error.toStdString();
    EXPECT_EQ(moved->offsetSize, 8);
    const QByteArray wide = moved->serialized();
    EXPECT_EQ(parsed(wide).items[0].extents[0].offset, 0x100000010u);

    // Data inside the rewritten bytes cannot be followed.
    HeifItemLocations inside = l;
    inside.items = {{1, 0, 0, 0, {{0, 150, 10}}}};
    EXPECT_FALSE(relocatedItemLocations(inside, 100, 200, 7, 1000, &error));
}

namespace {

// A HEIF skeleton: one item whose four bytes lie in 'mdat', with an extent
// and 127 other properties before the turn's, so that a new property gets
// index 129.
QByteArray skeleton() {
    QByteArray ipco = extent(64, 48).bytes;
    for (int i = 0; i < 127; ++i)
        ipco += isobox::box("abcd", QByteArray(1, char(i)));
    const auto iloc = [](quint32 dataAt) {
        QByteArray iloc("\0\0\0\0\x44\x00\0\x01\0\x01\0\0\0\x01", 14);
        isobox::appendBigEndian(iloc, dataAt, 4);
        isobox::appendBigEndian(iloc, 4, 4);
        return isobox::box("iloc", iloc);
    };
    return HostileFixtures::heifFile(QByteArray(2, '\0'), {}, ipco,
                                     QByteArray("\0\0\0\x01\0\x01\x01\x01", 8), {}, iloc, "DATA");
}

} // namespace

// A turn that needs a property index beyond 127 widens the associations to
// two-byte indices, which read back as written, and the item's data is found
// again after the box grew.
TEST(HeifMetaEdit, WidensPropertyIndicesAndFollowsTheDataItMoved) {
    const QByteArray file = skeleton();
    const HeifMetaEdit edit =
        turnedHeifMeta(reinterpret_cast<const uchar*>(file.constData()), file.size(), 1);
    ASSERT_TRUE(edit.ok()) << edit.error.toStdString();
    const QByteArray turned = file.left(edit.metaStart) + edit.meta + file.mid(edit.metaEnd);
    EXPECT_GT(edit.meta.size(), edit.metaEnd - edit.metaStart);

    using HostileFixtures::childBoxes;
    const auto meta = childBoxes(childBoxes(turned).value("meta"), 4);
    const QByteArray ipma = childBoxes(meta.value("iprp")).value("ipma");
    QString error;
    const auto associations = HeifPropertyAssociations::parse(
        reinterpret_cast<const uchar*>(ipma.constData()), ipma.size(), &error);
    ASSERT_TRUE(associations) << error.toStdString();
    EXPECT_TRUE(associations->wideIndices());
    ASSERT_EQ(associations->entries.size(), 1);
    EXPECT_EQ(associations->entries[0].associations,
              (QList<HeifPropertyAssociation>{{false, 1}, {true, 129}}));
    const quint64 dataAt = parsed(meta.value("iloc")).items.value(0).extents.value(0).offset;
    EXPECT_EQ(turned.mid(qsizetype(dataAt), 4), "DATA");
}

// Found by fuzzing: an item location whose base and offset add up past any
// file (the sanitizers report the overflow) is no location.
TEST(HeifItems, ALocationPastAnyFileIsNone) {
    const QByteArray file = QByteArray::fromBase64(
        "AAAAHGZ0eXBoZWljAAAAAG1pZjFoZWljbWlhZgAAAa1tZXRhAAAAAAAAACFoZGxyAAAAAAAAAABwaWN0AAAAAAAA"
        "AAAAAAAAAAAAAA5waXRtAAAAAAACAAAAEGlkYXQAAAAAADAAIAAAADhpbG9jAQAAAERAAAIAAQAAAAAAAAHRAAEA"
        "AAAAAAAAWQACAQAAAAAAAAAAAQAAAAAAAAAIAAAAOGlpbmYAAAAAAAIAAAAVaW5mZQIAAAEAAQAAaHZjMQAAAAAV"
        "aW5mZQIAAAAAAgAAAAAwACAAAAA4aWxvY4KCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKC"
        "goKCgoKCgoIBAAAAREAAAgABAAAAAAAAAdEAAQAAAAAAAABZAAIAAQAAAAAAAAABAAAAAAAAAAgAAAA2aWluZgAA"
        "AAAAAgAAABVpbmZlAgAAAQABAABodmMxAAAAABVpbmZlAgAAAAD//wNwAAADAJAAAAMAAAMAHroCQCEAAQAqQgEB"
        "A3AAAAMAkAAAAwAAAwAeoCCBBZbq5Ka5uBAQMCFoZGxyAAAAAAAAAABwaWN0EAAAAAAAAAAAAAAAAAAAAA5waXRt"
        "AAAAAAABAAAAImlsb2MAAAAAIAAAAwAgAAADACEiAAEABkQBwXPAiQAAABRpc3BlAAAAAAAAAEAAAABAAAAAFGlz"
        "cEAhAAEIKkIBMAAAACA68S7D/LDc");
    const HeifItems items(reinterpret_cast<const uchar*>(file.constData()), file.size());
    // The grid's descriptor cannot be found: its canvas, and so what it
    // would cost to decode, are not known.
    ASSERT_TRUE(items.ok());
    EXPECT_FALSE(items.declaredSize(items.primaryItem()).isValid());
    EXPECT_EQ(items.decodePixels(items.primaryItem()), -1);
}
