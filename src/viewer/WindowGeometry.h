#pragma once

#include <QRectF>
#include <QSizeF>
#include <optional>

// Sizing rules of viewer windows. Sizes are in points; image sizes in pixels
// are used as points unchanged.
namespace WindowGeometry {

// Margin taken off a screen side that the image exceeds.
inline constexpr double dockConstant = 70;

// Longest side of the smallest size a window can be resized to.
inline constexpr double minimumSideLimit = 600;

// The size at which an image is shown on a screen of the given available size:
// unchanged when it fits, else scaled down to the screen less the dock margin,
// the side that overflows governing. Case A (both sides reach the screen)
// compares the clamped sides themselves, not the ratios, so a very wide image
// can be governed by the height and come out wider than the screen.
// Nothing for an empty image or screen, or a screen too small to leave a
// positive size: the window then keeps the size it has.
std::optional<QSizeF> fitImageToScreen(const QSizeF& screen, const QSizeF& image,
                                       double dockConstant = WindowGeometry::dockConstant);

// The window content for an image of the given size inside a surround (the
// toolbar band and margins) of constant size.
QSizeF contentSize(const QSizeF& imageSize, const QSizeF& surround);

// The smallest size of a window whose content was sized to stored: stored
// scaled down, if needed, until its longer side is at most 600. A stored size
// with an empty side gives 0 x 0.
QSizeF minimumResizeSize(const QSizeF& stored);

// The size a user resize is given. aspect is the content size the window's
// ratio was locked to (surround included); the surround keeps its size and
// the image part follows the proposed width. A proposal not larger than the
// minimum on both sides gives the minimum; without a usable aspect the
// proposal stands (never below the minimum).
QSizeF constrainResize(const QSizeF& proposed, const QSizeF& stored, const QSizeF& aspect,
                       const QSizeF& surround);

// A resize result made to fit inside the size the user dragged out, for
// window systems that give no window position: a corner stays under the
// pointer, so the window stays on the screen. Never below the minimum.
QSizeF withinDraggedSize(const QSizeF& wanted, const QSizeF& dragged, const QSizeF& stored,
                         const QSizeF& surround);

// content (an image inside surround) made small enough to fit room, the
// space a window's content can take on the screen: the surround keeps its
// size and the image its proportions. Unchanged when it fits or when room is
// empty.
QSizeF limitToArea(const QSizeF& content, const QSizeF& surround, const QSizeF& room);

// The scale at which an image is shown letter-boxed inside bounds: 1 when it
// fits inside on both sides, else the smaller of the two ratios.
double aspectFitScale(const QSizeF& image, const QSizeF& bounds);

// The image's rectangle at that scale, centred in bounds, on whole points.
QRectF fittedImageRect(const QSizeF& image, const QSizeF& bounds, double scale);
QRectF fittedImageRect(const QSizeF& image, const QSizeF& bounds);

} // namespace WindowGeometry
