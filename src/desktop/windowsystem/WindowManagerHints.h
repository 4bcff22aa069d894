#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <array>
#include <cstdint>
#include <optional>

class QWidget;

// The ICCCM WM_NORMAL_HINTS property: eighteen 32-bit fields.
struct WmSizeHints {
    enum Field {
        flags,
        x,
        y,
        width,
        height,
        minWidth,
        minHeight,
        maxWidth,
        maxHeight,
        widthInc,
        heightInc,
        minAspectNum,
        minAspectDen,
        maxAspectNum,
        maxAspectDen,
        baseWidth,
        baseHeight,
        winGravity,
        fieldCount
    };
    enum Flag : std::uint32_t {
        PMinSize = 1u << 4,
        PAspect = 1u << 7,
        PBaseSize = 1u << 8,
    };
    std::array<std::uint32_t, fieldCount> fields{};
};

// What the window manager should enforce while the user resizes a window: the
// proportions of aspect (the whole window, a fixed surround included) and a
// minimum size. The surround (a toolbar band and margins of constant size) is
// kept out of the proportion through the base size, so the window manager
// keeps it and scales the rest:
// height - base.h = (aspect.h - base.h) * (width - base.w) / (aspect.w - base.w).
struct AspectHints {
    QSizeF aspect;
    QSize base;
    QSize minimumSize; // left to the window as it is when empty
};

// hints with the aspect, base size and minimum fields (and their flags) set as
// asked; every other field stays. Empty when the proportion has no positive
// width and height once the base size is taken off.
std::optional<WmSizeHints> withAspectHints(WmSizeHints hints, const AspectHints& wanted);

// Tells the window manager a viewer window's proportions and minimum size.
//
// X11 only: WM_NORMAL_HINTS is read, its aspect, base-size and minimum fields
// changed and written back, keeping what Qt put there. Elsewhere (Wayland,
// offscreen) nothing is done and false is returned; the caller then corrects
// the size itself after each resize.
//
// Qt writes WM_NORMAL_HINTS afresh, dropping these fields, whenever it changes
// the window's geometry or size limits. An instance of this class therefore
// keeps the hints on its window: it re-applies them after every show, move, resize,
// layout change and native window change. After setMinimumSize,
// setMaximumSize, setBaseSize or setSizeIncrement on the window, which send no
// event, call reapply().
class WindowManagerHints : public QObject {
    Q_OBJECT

public:
    // Writes the hints once; true when the window manager has been told.
    static bool apply(QWidget* window, const AspectHints& hints);
    // The window's current WM_NORMAL_HINTS; empty off X11 or when unset.
    static std::optional<WmSizeHints> read(QWidget* window);
    // The frame the window manager has put around the window, read from
    // _NET_FRAME_EXTENTS itself (Qt learns it later); empty off X11 or
    // before the window is framed.
    static std::optional<QMargins> frameExtents(QWidget* window);

    // Becomes a child of window and follows its events.
    explicit WindowManagerHints(QWidget* window);
    ~WindowManagerHints() override;

    // Stores the hints and applies them, to a window not shown yet once it
    // is; same result as apply().
    bool setHints(const AspectHints& hints);
    bool reapply();

Q_SIGNALS:
    // The window manager has framed the window anew (_NET_FRAME_EXTENTS
    // changed): its frame geometry is only now known. Emitted after Qt has
    // seen the change.
    void frameChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchFrame();

    QPointer<QWidget> m_window;
    std::optional<AspectHints> m_hints;
    bool m_reapplyQueued = false;
};
