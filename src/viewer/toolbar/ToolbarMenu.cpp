#include "viewer/toolbar/ToolbarMenu.h"

#include "viewer/toolbar/MenuScheme.h"
#include "viewer/toolbar/SymbolImage.h"

#include <QLabel>
#include <QStyleOptionMenuItem>
#include <QWidgetAction>
#include <algorithm>

namespace {
constexpr int noteWidth = 240;
const char* const deleteSymbol = "trash.fill";
constexpr double iconSize = 16;
constexpr double disabledRedOpacity = 0.45;

void addMode(QIcon& icon, const QString& symbol, const QColor& colour, QIcon::Mode mode) {
    for (qreal ratio : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(SymbolImage::render(symbol, iconSize, ratio, colour)),
                       mode);
}
} // namespace

DestructiveToolbarMenuButton::DestructiveToolbarMenuButton(std::function<void()> action,
                                                           QObject* parent)
    : QAction(parent), action(std::move(action)) {
    setText(QStringLiteral("Delete Image"));
    connect(this, &QAction::triggered, this, [this] {
        if (this->action)
            this->action();
    });
}

void DestructiveToolbarMenuButton::drawSymbol() {
    if (m_symbolDrawn)
        return;
    m_symbolDrawn = true;
    // Red whether offered or not: withheld, it is a faded red rather than
    // the grey the style would make of it.
    const QString symbol = QString::fromLatin1(deleteSymbol);
    QColor faded = menuscheme::destructiveColour();
    faded.setAlphaF(disabledRedOpacity);
    QIcon icon = SymbolImage::icon(symbol, menuscheme::destructiveColour(), iconSize);
    addMode(icon, symbol, faded, QIcon::Disabled);
    setIcon(icon);
}

ToolbarMenu::ToolbarMenu(QWidget* parent) : QMenu(parent) {}

QAction* ToolbarMenu::addCommand(const QString& symbol, const QString& text, WindowCommand command,
                                 const QVariantMap& userInfo) {
    QAction* action = addAction(text);
    connect(action, &QAction::triggered, this,
            [this, command, userInfo] { Q_EMIT commandChosen(command, userInfo); });
    m_entries.push_back({action, symbol, command});
    m_iconText = QColor(); // drawn with the others when next measured
    return action;
}

DestructiveToolbarMenuButton* ToolbarMenu::addDelete() {
    auto* action = new DestructiveToolbarMenuButton([this] { Q_EMIT deleteChosen(); }, this);
    addAction(action);
    // Its icon stays red whatever the menu's colours.
    m_entries.push_back({action, QString(), WindowCommand::deleteImage});
    return action;
}

void ToolbarMenu::setNote(const QString& note) {
    // No note, and none made yet: nothing to hide.
    if (!m_noteAction && note.isEmpty())
        return;
    if (!m_noteAction) {
        m_noteSeparator = addSeparator();
        m_noteLabel = new QLabel;
        m_noteLabel->setWordWrap(true);
        // The note may quote a file name: never read it as markup.
        m_noteLabel->setTextFormat(Qt::PlainText);
        m_noteLabel->setForegroundRole(QPalette::PlaceholderText);
        m_noteLabel->setContentsMargins(8, 4, 8, 4);
        m_noteAction = new QWidgetAction(this);
        m_noteAction->setDefaultWidget(m_noteLabel);
        m_noteAction->setEnabled(false);
        addAction(m_noteAction);
    }
    m_noteLabel->setText(note);
    m_noteLabel->setFixedSize(noteWidth, std::max(0, m_noteLabel->heightForWidth(noteWidth)));
    m_noteSeparator->setVisible(!note.isEmpty());
    m_noteAction->setVisible(!note.isEmpty());
}

QString ToolbarMenu::note() const {
    return m_noteAction && m_noteAction->isVisible() ? m_noteLabel->text() : QString();
}

void ToolbarMenu::refresh(const QPalette& palette,
                          const std::function<bool(WindowCommand)>& available) {
    setPalette(palette);
    m_text = palette.color(QPalette::Active, QPalette::Text);
    m_disabledText = palette.color(QPalette::Disabled, QPalette::Text);
    for (const Entry& entry : m_entries)
        entry.action->setEnabled(available(entry.command));
}

QSize ToolbarMenu::sizeHint() const {
    drawSymbols();
    return QMenu::sizeHint();
}

void ToolbarMenu::drawSymbols() const {
    // Drawn again only when the colours have changed since (a window
    // refreshes its toolbar on every picture).
    if (m_text == m_iconText && m_disabledText == m_iconDisabledText)
        return;
    m_iconText = m_text;
    m_iconDisabledText = m_disabledText;
    for (const Entry& entry : m_entries) {
        if (auto* destructive = qobject_cast<DestructiveToolbarMenuButton*>(entry.action))
            destructive->drawSymbol();
        if (entry.symbol.isEmpty())
            continue;
        // The style's own greying of a white symbol stays nearly white on a
        // dark menu; a withheld entry's symbol fades like its text instead.
        QIcon icon = SymbolImage::icon(entry.symbol, m_text, iconSize);
        addMode(icon, entry.symbol, m_disabledText, QIcon::Disabled);
        entry.action->setIcon(icon);
    }
}

void ToolbarMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    if (!qobject_cast<const DestructiveToolbarMenuButton*>(action))
        return;
    // Red text on the menu, white on a red highlight; faded red while the
    // entry is not offered.
    const QColor red = menuscheme::destructiveColour();
    QColor faded = red;
    faded.setAlphaF(disabledRedOpacity);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? faded : red;
        option->palette.setColor(group, QPalette::Text, text);
        option->palette.setColor(group, QPalette::WindowText, text);
        option->palette.setColor(group, QPalette::ButtonText, text);
        option->palette.setColor(group, QPalette::Highlight, red);
        option->palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
}
