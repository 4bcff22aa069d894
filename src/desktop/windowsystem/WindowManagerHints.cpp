#include "desktop/windowsystem/WindowManagerHints.h"

#include <QAbstractNativeEventFilter>
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

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Reports changes of _NET_FRAME_EXTENTS to the instance watching that window.
class FrameExtentsFilter : public QAbstractNativeEventFilter {
public:
    static FrameExtentsFilter& instance(xcb_connection_t* connection) {
        static FrameExtentsFilter* filter = [connection] {
            auto* f = new FrameExtentsFilter(internAtom(connection, "_NET_FRAME_EXTENTS"));
            qGuiApp->installNativeEventFilter(f);
            return f;
        }();
        return *filter;
    }
    void watch(xcb_window_t window, WindowManagerHints* hints) { m_watched.insert(window, hints); }
    void forget(WindowManagerHints* hints) {
        m_watched.removeIf([hints](const auto& entry) { return entry.value() == hints; });
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != int(XCB_PROPERTY_NOTIFY))
            return false;
        const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
        if (property->atom != m_atom)
            return false;
        if (QPointer<WindowManagerHints> hints = m_watched.value(property->window))
            // Queued: Qt reads the new extents when it handles this event.
            QTimer::singleShot(0, hints, [hints] { Q_EMIT hints->frameChanged(); });
        return false;
    }

private:
    explicit FrameExtentsFilter(xcb_atom_t atom) : m_atom(atom) {}
    xcb_atom_t m_atom;
    QHash<xcb_window_t, QPointer<WindowManagerHints>> m_watched;
};

} // namespace

std::optional<WmSizeHints> withAspectHints(WmSizeHints hints, const AspectHints& wanted) {
    const QSize base = wanted.base.expandedTo(QSize(0, 0));
    const auto ratio =
        integerRatio(wanted.aspect.width() - base.width(), wanted.aspect.height() - base.height());
    if (!ratio)
        return std::nullopt;
    auto& f = hints.fields;
    f[WmSizeHints::minAspectNum] = f[WmSizeHints::maxAspectNum] = ratio->first;
    f[WmSizeHints::minAspectDen] = f[WmSizeHints::maxAspectDen] = ratio->second;
    f[WmSizeHints::baseWidth] = std::uint32_t(base.width());
    f[WmSizeHints::baseHeight] = std::uint32_t(base.height());
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

std::optional<QMargins> WindowManagerHints::frameExtents(QWidget* window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->isWindow() ||
        !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    static const xcb_atom_t atom = internAtom(connection, "_NET_FRAME_EXTENTS");
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, xcb_window_t(window->winId()), atom, XCB_ATOM_CARDINAL, 0, 4);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<QMargins> margins;
    if (reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        // left, right, top, bottom
        margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
    }
    std::free(reply);
    return margins;
}

WindowManagerHints::WindowManagerHints(QWidget* window) : QObject(window), m_window(window) {
    if (window && x11Connection())
        window->installEventFilter(this);
}

WindowManagerHints::~WindowManagerHints() {
    if (xcb_connection_t* connection = x11Connection())
        FrameExtentsFilter::instance(connection).forget(this);
}

void WindowManagerHints::watchFrame() {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !m_window || !m_window->testAttribute(Qt::WA_WState_Created))
        return;
    FrameExtentsFilter& filter = FrameExtentsFilter::instance(connection);
    filter.forget(this);
    filter.watch(xcb_window_t(m_window->winId()), this);
    // The window manager may have framed the window before we watched.
    QTimer::singleShot(0, this, &WindowManagerHints::frameChanged);
}

bool WindowManagerHints::setHints(const AspectHints& hints) {
    m_hints = hints;
    // A window not made yet is told once it is shown: Qt writes the property
    // afresh as it maps the window, so writing it now would only make the
    // native window early and wait for the X server on the way to the first
    // picture.
    if (m_window && !m_window->testAttribute(Qt::WA_WState_Created))
        return x11Connection() != nullptr;
    return reapply();
}

bool WindowManagerHints::reapply() {
    m_reapplyQueued = false;
    return m_hints && apply(m_window, *m_hints);
}

bool WindowManagerHints::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    // A new native window (a style switch recreates it) gets a new frame.
    if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange)
        watchFrame();
    if (!m_hints || m_reapplyQueued)
        return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::LayoutRequest:
    case QEvent::WinIdChange:
        // After the window has handled the event: Qt rewrites the hints while
        // handling it, or just before (a move too writes the position there).
        m_reapplyQueued = true;
        QTimer::singleShot(0, this, &WindowManagerHints::reapply);
        break;
    default:
        break;
    }
    return false;
}
