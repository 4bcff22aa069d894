#include "platform/WindowManagerHints.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <xcb/xcb.h>

namespace {

// Sizes carry fractions (a fitted width of 1073.33 points); three decimals keep
// the proportion exact enough while staying far inside 32 bits.
constexpr double ratioScale = 1000.0;
constexpr long long fieldLimit = 0x7fffffff;

std::optional<std::pair<std::uint32_t, std::uint32_t>> integerRatio(double w, double h) {
    if (!(w > 0.0) || !(h > 0.0) || !std::isfinite(w) || !std::isfinite(h))
        return std::nullopt;
    long long num = std::llround(w * ratioScale);
    long long den = std::llround(h * ratioScale);
    if (num <= 0 || den <= 0)
        return std::nullopt;
    const long long divisor = std::gcd(num, den);
    num /= divisor;
    den /= divisor;
    while (num > fieldLimit || den > fieldLimit) {
        num = std::max(1LL, num / 2);
        den = std::max(1LL, den / 2);
    }
    return std::pair{std::uint32_t(num), std::uint32_t(den)};
}

xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<WmSizeHints> readHints(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0,
                         WmSizeHints::fieldCount);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<WmSizeHints> hints;
    if (reply->type == XCB_ATOM_WM_SIZE_HINTS && reply->format == 32) {
        hints.emplace();
        const int count =
            std::min<int>(xcb_get_property_value_length(reply) / 4, WmSizeHints::fieldCount);
        std::memcpy(hints->fields.data(), xcb_get_property_value(reply), count * 4);
    }
    std::free(reply);
    return hints;
}

} // namespace

std::optional<WmSizeHints> withAspectHints(WmSizeHints hints, const AspectHints& wanted) {
    const int band = std::max(0, wanted.bandHeight);
    const auto ratio = integerRatio(wanted.aspect.width(), wanted.aspect.height() - band);
    if (!ratio)
        return std::nullopt;
    auto& f = hints.fields;
    f[WmSizeHints::minAspectNum] = f[WmSizeHints::maxAspectNum] = ratio->first;
    f[WmSizeHints::minAspectDen] = f[WmSizeHints::maxAspectDen] = ratio->second;
    f[WmSizeHints::baseWidth] = 0;
    f[WmSizeHints::baseHeight] = std::uint32_t(band);
    f[WmSizeHints::flags] |= WmSizeHints::PAspect | WmSizeHints::PBaseSize;
    if (!wanted.minimumSize.isEmpty()) {
        f[WmSizeHints::minWidth] = std::uint32_t(wanted.minimumSize.width());
        f[WmSizeHints::minHeight] = std::uint32_t(wanted.minimumSize.height());
        f[WmSizeHints::flags] |= WmSizeHints::PMinSize;
    }
    return hints;
}

bool WindowManagerHints::apply(QWidget* window, const AspectHints& wanted) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->isWindow())
        return false;
    const auto id = xcb_window_t(window->winId());
    const WmSizeHints current = readHints(connection, id).value_or(WmSizeHints{});
    const std::optional<WmSizeHints> updated = withAspectHints(current, wanted);
    if (!updated)
        return false;
    if (updated->fields != current.fields) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, WmSizeHints::fieldCount,
                            updated->fields.data());
        xcb_flush(connection);
    }
    return true;
}

std::optional<WmSizeHints> WindowManagerHints::read(QWidget* window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->isWindow() ||
        !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    return readHints(connection, xcb_window_t(window->winId()));
}

WindowManagerHints::WindowManagerHints(QWidget* window) : QObject(window), m_window(window) {
    if (window && x11Connection())
        window->installEventFilter(this);
}

bool WindowManagerHints::setHints(const AspectHints& hints) {
    m_hints = hints;
    return reapply();
}

bool WindowManagerHints::reapply() {
    m_reapplyQueued = false;
    return m_hints && apply(m_window, *m_hints);
}

bool WindowManagerHints::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || !m_hints || m_reapplyQueued)
        return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::LayoutRequest:
    case QEvent::WinIdChange:
        // After the window has handled the event: Qt rewrites the hints while
        // handling it, or just before.
        m_reapplyQueued = true;
        QTimer::singleShot(0, this, &WindowManagerHints::reapply);
        break;
    default:
        break;
    }
    return false;
}
