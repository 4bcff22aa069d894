#include "viewer/view/StatusNote.h"

#include <QEvent>

namespace {
constexpr int noteMargin = 12;
}

StatusNote::StatusNote(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("statusNote"));
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    // Readable over any picture: light text on a dark, nearly opaque card.
    setStyleSheet(QStringLiteral("QLabel#statusNote { background: rgba(30, 30, 30, 225); color: "
                                 "white; border-radius: 8px; padding: 8px 12px; }"));
    hide();
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    // A click on the link leaves the keys with the window.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QLabel::linkActivated, this, [this] {
        hide();
        Q_EMIT actionChosen();
    });
    parent->installEventFilter(this);
}

void StatusNote::showNote(const QString& text, const QString& action) {
    m_offersAction = !action.isEmpty();
    setTextFormat(m_offersAction ? Qt::RichText : Qt::PlainText);
    setText(m_offersAction
                ? QStringLiteral("%1 — <a href=\"action\" style=\"color: #8cc8ff;\">%2</a>")
                      .arg(text.toHtmlEscaped(), action.toHtmlEscaped())
                : text);
    place();
    show();
    raise();
    m_hideTimer.start(shownMs);
}

void StatusNote::mousePressEvent(QMouseEvent* event) {
    // A note with a link goes once the click is over: the link takes it.
    if (m_offersAction)
        QLabel::mousePressEvent(event);
    else
        hide();
}

void StatusNote::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    hide();
}

bool StatusNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}

void StatusNote::place() {
    const QWidget* area = parentWidget();
    const int width = std::max(120, std::min(area->width() - 2 * noteMargin, 520));
    setFixedWidth(width);
    const int height = heightForWidth(width);
    setFixedHeight(height > 0 ? height : sizeHint().height());
    move((area->width() - width) / 2, area->height() - this->height() - noteMargin);
}
