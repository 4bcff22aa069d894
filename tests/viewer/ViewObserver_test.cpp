#include "imageinfo/QtTestPrinters.h"
#include "viewer/ViewObserver.h"

#include <QMetaProperty>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

using FieldSignal = void (ViewObserver::*)();

struct Field {
    const char* name;
    FieldSignal changed;
    QVariant newValue;
};

QVariantMap someRecord() {
    return {{QStringLiteral("Name"), QStringLiteral("a.jpg")},
            {QStringLiteral("Width"), qint64(640)}};
}

// Every field in declared order, with a value different from its initial one.
const std::vector<Field>& fields() {
    static const std::vector<Field> all{
        {"hideInfoSidebar", &ViewObserver::hideInfoSidebarChanged, false},
        {"showLocation", &ViewObserver::showLocationChanged, true},
        {"showLens", &ViewObserver::showLensChanged, true},
        {"showOverlay", &ViewObserver::showOverlayChanged, true},
        {"selectedExtension", &ViewObserver::selectedExtensionChanged, QStringLiteral("png")},
        {"convertStatus", &ViewObserver::convertStatusChanged,
         QVariant::fromValue(ConvertStatus::PROGRESS)},
        {"location", &ViewObserver::locationChanged,
         QVariant::fromValue(GeoLocation{-33.8688, 151.2093})},
        {"region", &ViewObserver::regionChanged,
         QVariant::fromValue(MapRegion{{48.8584, 2.2945}, {0.2, 0.3}})},
        {"imageAttr", &ViewObserver::imageAttrChanged, someRecord()},
        {"filePath", &ViewObserver::filePathChanged, QStringLiteral("/photos/a.jpg")},
    };
    return all;
}

} // namespace

TEST(ViewObserver, StartsWithTheDocumentedValuesInDeclaredOrder) {
    ViewObserver observer;
    const QMetaObject* meta = observer.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    QStringList expected;
    for (const Field& field : fields())
        expected << QString::fromLatin1(field.name);
    EXPECT_EQ(names, expected);

    EXPECT_TRUE(observer.hideInfoSidebar());
    EXPECT_FALSE(observer.showLocation());
    EXPECT_FALSE(observer.showLens());
    EXPECT_FALSE(observer.showOverlay());
    EXPECT_EQ(observer.selectedExtension(), QString());
    EXPECT_EQ(observer.convertStatus(), ConvertStatus::CONVERT);
    EXPECT_EQ(observer.location(), (GeoLocation{25.7617, 80.1918})); // east, not west
    EXPECT_EQ(observer.region(), (MapRegion{{25.7617, 80.1918}, {0.05, 0.05}}));
    EXPECT_TRUE(observer.imageAttr().isEmpty());
    EXPECT_EQ(observer.filePath(), QString());
    EXPECT_LT(int(ConvertStatus::CONVERT), int(ConvertStatus::PROGRESS));
}

TEST(ViewObserver, EveryAssignmentAnnouncesTheChangeBeforeStoring) {
    for (const Field& field : fields()) {
        SCOPED_TRACE(field.name);
        ViewObserver observer;
        QStringList events;
        const auto state = [&] {
            return observer.property(field.name) == field.newValue ? QStringLiteral("new")
                                                                   : QStringLiteral("old");
        };
        QObject::connect(&observer, &ViewObserver::objectWillChange,
                         [&] { events << QStringLiteral("will:") + state(); });
        for (const Field& other : fields()) {
            QObject::connect(&observer, other.changed, [&, name = other.name] {
                events << QString::fromLatin1(name) + u':' + state();
            });
        }

        ASSERT_TRUE(observer.setProperty(field.name, field.newValue));
        const QString done = QString::fromLatin1(field.name) + QStringLiteral(":new");
        EXPECT_EQ(events, (QStringList{QStringLiteral("will:old"), done}));

        // Assigning the same value again is still an assignment.
        events.clear();
        ASSERT_TRUE(observer.setProperty(field.name, field.newValue));
        EXPECT_EQ(events, (QStringList{QStringLiteral("will:new"), done}));
    }
}

TEST(ViewObserver, TwoWindowsKeepIndependentState) {
    ViewObserver first;
    ViewObserver second;
    int secondSignals = 0;
    QObject::connect(&second, &ViewObserver::objectWillChange, [&] { ++secondSignals; });

    first.setHideInfoSidebar(!first.hideInfoSidebar());
    first.setImageAttr(someRecord());

    EXPECT_FALSE(first.hideInfoSidebar());
    EXPECT_TRUE(second.hideInfoSidebar());
    EXPECT_TRUE(second.imageAttr().isEmpty());
    EXPECT_EQ(secondSignals, 0);
}
