#pragma once

#include "platform/AppStorageCompat.h"
#include "style/VisualStyle.h"

#include <QObject>

// Where the viewer's content starts: at the window's top edge in the frameless
// style, below the toolbar band with the frame. Follows the stored style
// however it changes (this program, another window, another process) and
// reports each change so the owner can lay out again.
class EdgeTopArea : public QObject {
    Q_OBJECT
public:
    explicit EdgeTopArea(SettingsStore* store = nullptr, QObject* parent = nullptr);

    AppStorageCompat<bool> visualStyleAsFrame;

    VISUALSTYLE style() const;
    bool contentReachesTopEdge() const { return !visualStyleAsFrame.wrappedValue(); }
    // Distance of the content from the window's top edge.
    double contentTop() const { return visualstyle::toolbarHeight(style()); }

Q_SIGNALS:
    void placementChanged(bool contentReachesTopEdge);
};
