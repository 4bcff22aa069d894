#include "window/TitleBand.h"

#include "style/FontsManager.h"
#include "style/VisualStyle.h"
#include "window/ChromeButton.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {
constexpr int buttonMargin = 8;  // from the window's top-left corner
constexpr int buttonSpacing = 8; // between neighbouring discs
// Between the title and the toolbar at the band's right end.
constexpr int toolbarGap = 14;
} // namespace

TitleBand::TitleBand(QWidget* window, QAbstractButton* close, QAbstractButton* minimise)
    : QObject(window), m_window(window), m_close(close), m_minimise(minimise) {
    m_label = new QLabel(window);
    m_label->setObjectName(QStringLiteral("windowTitle"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->setFont(FontsManager::font(true, 0));
    m_label->hide();
    window->installEventFilter(this);
    place();
}

void TitleBand::setShown(bool shown) {
    m_shown = shown;
    place();
}

void TitleBand::place() {
    const int band = visualstyle::frameBandHeight;
    // In the band's middle when the window draws its title bar, else in the
    // picture's corner.
    const int top = m_shown ? (band - ChromeButton::size) / 2 : buttonMargin - 1;
    m_close->move(buttonMargin - 1, top);
    m_minimise->move(buttonMargin - 1 + ChromeButton::size - 2 + buttonSpacing, top);
    m_close->setVisible(m_shown);
    m_minimise->setVisible(m_shown);
    for (QAbstractButton* button : {m_close, m_minimise}) {
        if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(button->graphicsEffect()))
            effect->setOpacity(1.0);
    }
    m_label->setVisible(m_shown);
    if (m_shown) {
        // Between the buttons and the toolbar, however narrow the window.
        const auto* toolbar = m_window->findChild<QWidget*>(QStringLiteral("windowToolbar"));
        const int right = toolbar ? toolbar->sizeHint().width() + toolbarGap : 0;
        const int left = visualstyle::windowButtonsWidth;
        const int width = std::max(0, m_window->width() - left - right);
        m_label->setText(
            m_label->fontMetrics().elidedText(m_window->windowTitle(), Qt::ElideMiddle, width));
        m_label->setGeometry(left, 0, width, band);
        m_label->raise();
    }
    m_close->raise();
    m_minimise->raise();
}

bool TitleBand::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || !m_shown)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::WindowTitleChange:
        place();
        break;
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(event);
        QWindow* handle = m_window->windowHandle();
        if (press->button() == Qt::LeftButton &&
            press->position().y() < visualstyle::frameBandHeight && handle &&
            handle->startSystemMove()) {
            event->accept();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
