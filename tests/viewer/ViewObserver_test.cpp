#include "support/QtPrinters.h"
#include "viewer/ViewObserver.h"

#include <QMetaProperty>
#include <gtest/gtest.h>

TEST(ViewObserver, FieldsStartAsDocumentedAndAnnounceEveryAssignmentBeforeStoring) {
    const GeoLocation miami{25.7617, 80.1918}; // east, not west
    const struct {
        const char* name;
        void (ViewObserver::*changed)();
        QVariant initial, next;
    } fields[] = {
        {"hideInfoSidebar", &ViewObserver::hideInfoSidebarChanged, true, false},
        {"showLocation", &ViewObserver::showLocationChanged, false, true},
        {"showLens", &ViewObserver::showLensChanged, false, true},
        {"showOverlay", &ViewObserver::showOverlayChanged, false, true},
        {"selectedExtension", &ViewObserver::selectedExtensionChanged, QString(), "png"},
        {"convertStatus", &ViewObserver::convertStatusChanged,
         QVariant::fromValue(ConvertStatus::CONVERT), QVariant::fromValue(ConvertStatus::PROGRESS)},
        {"location", &ViewObserver::locationChanged, QVariant::fromValue(miami),
         QVariant::fromValue(GeoLocation{-33.8688, 151.2093})},
        {"region", &ViewObserver::regionChanged,
         QVariant::fromValue(MapRegion{miami, {0.05, 0.05}}),
         QVariant::fromValue(MapRegion{{48.8584, 2.2945}, {0.2, 0.3}})},
        {"imageAttr", &ViewObserver::imageAttrChanged, QVariantMap(),
         QVariantMap{{"Name", "a.jpg"}, {"Width", qint64(640)}}},
        {"filePath", &ViewObserver::filePathChanged, QString(), "/photos/a.jpg"},
    };
    // Every field is in the table.
    const QMetaObject& meta = ViewObserver::staticMetaObject;
    ASSERT_EQ(meta.propertyCount() - meta.propertyOffset(), int(std::size(fields)));

    for (const auto& field : fields) {
        SCOPED_TRACE(field.name);
        ViewObserver observer, other;
        EXPECT_EQ(observer.property(field.name), field.initial);
        QStringList events;
        const auto state = [&] {
            return observer.property(field.name) == field.next ? "new" : "old";
        };
        QObject::connect(&observer, &ViewObserver::objectWillChange,
                         [&] { events << QString("will:") + state(); });
        for (const auto& each : fields) {
            QObject::connect(&observer, each.changed,
                             [&, name = each.name] { events << QString(name) + ':' + state(); });
        }
        int otherSignals = 0;
        QObject::connect(&other, &ViewObserver::objectWillChange, [&] { ++otherSignals; });

        ASSERT_TRUE(observer.setProperty(field.name, field.next));
        const QString done = QString(field.name) + ":new";
        EXPECT_EQ(events, (QStringList{"will:old", done}));
        // Assigning the same value again is still an assignment.
        events.clear();
        ASSERT_TRUE(observer.setProperty(field.name, field.next));
        EXPECT_EQ(events, (QStringList{"will:new", done}));
        // Two windows keep independent state.
        EXPECT_EQ(other.property(field.name), field.initial);
        EXPECT_EQ(otherSignals, 0);
    }
}
