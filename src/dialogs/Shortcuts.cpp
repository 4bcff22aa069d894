#include "dialogs/Shortcuts.h"

#include "dialogs/WindowPresentation.h"
#include "style/ColourAssets.h"
#include "style/FontsManager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QLabel* blackLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    // Black on the purple whatever the desktop theme says.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

} // namespace

QList<Shortcuts::Row> Shortcuts::rows() {
    return {
        {tr("Navigate images in a folder"), QStringLiteral("← →")},
        {tr("First / Last Image"), tr("Home / End")},
        {tr("Zoom In"), QStringLiteral("+")},
        {tr("Zoom Out"), QStringLiteral("-")},
        {tr("Reset Zoom"), QStringLiteral(".")},
        {tr("Actual Size"), QStringLiteral("1")},
        {tr("Full Screen"), tr("F11 / F")},
        {tr("Delete Image"), tr("Backspace / Ctrl+U")},
        {tr("Undo Move to Trash"), tr("Ctrl+Z")},
        {tr("Print Image"), tr("Ctrl+P")},
        {tr("Toggle Visual Style"), tr("Ctrl+R")},
        {tr("Close Window"), tr("Ctrl+W")},
    };
}

Shortcuts::Shortcuts(const QString& fontName, double fontSize, QWidget* parent)
    : QWidget(parent), fontName(fontName), fontSize(fontSize) {
    setFixedWidth(350);
    setMinimumHeight(320);
    QFont font(fontName);
    FontsManager::setSize(font, fontSize);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 40, 20, 40);
    column->setSpacing(24);
    column->addStretch();
    for (const Row& row : rows()) {
        auto* line = new QHBoxLayout;
        line->addWidget(blackLabel(row.description, font, this));
        line->addStretch();
        line->addWidget(blackLabel(row.keys, font, this));
        column->addLayout(line);
    }
    column->addStretch();
}

void Shortcuts::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), fennicPurple());
}

ShortcutsWindow::ShortcutsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_view(new Shortcuts(FontsManager::regularFontName(), 14, this)) {
    setWindowTitle(tr("Keyboard Shortcuts"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ShortcutsWindow* ShortcutsWindow::open() {
    auto* window = new ShortcutsWindow;
    presentAuxiliaryWindow(window, true);
    return window;
}
