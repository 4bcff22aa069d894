#include "support/QtPrinters.h"
#include "viewer/ViewObserver.h"

#include <gtest/gtest.h>

TEST(ViewObserver, EveryAssignmentIsAnnouncedBeforeItIsStoredAndThenNamed) {
    const struct {
        const char* name;
        void (ViewObserver::*changed)();
        QVariant next;
    } fields[] = {
        {"hideInfoSidebar", &ViewObserver::hideInfoSidebarChanged, false},
        {"selectedExtension", &ViewObserver::selectedExtensionChanged, "png"},
        {"location", &ViewObserver::locationChanged,
         QVariant::fromValue(GeoLocation{-33.8688, 151.2093})},
    };
    for (const auto& field : fields) {
        SCOPED_TRACE(field.name);
        ViewObserver observer, other;
        const QVariant initial = observer.property(field.name);
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
        ASSERT_TRUE(observer.setProperty(field.name, field.next));
        const QString done = QString(field.name) + ":new";
        EXPECT_EQ(events, (QStringList{"will:old", done}));
        // Assigning the same value again is still an assignment.
        events.clear();
        ASSERT_TRUE(observer.setProperty(field.name, field.next));
        EXPECT_EQ(events, (QStringList{"will:new", done}));
        EXPECT_EQ(other.property(field.name), initial) << "each window has its own state";
    }
}
