#include "viewer/components/EdgeTopArea.h"

#include "platform/AppSettings.h"

EdgeTopArea::EdgeTopArea(SettingsStore* store, QObject* parent)
    : QObject(parent), visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, store)) {
    connect(visualStyleAsFrame.notifier(), &StorageNotifier::valueChanged, this,
            [this] { Q_EMIT placementChanged(contentReachesTopEdge()); });
}

VISUALSTYLE EdgeTopArea::style() const {
    return visualstyle::fromVisualStyleAsFrame(visualStyleAsFrame.wrappedValue());
}
