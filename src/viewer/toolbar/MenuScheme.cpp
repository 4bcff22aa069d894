#include "viewer/toolbar/MenuScheme.h"

namespace menuscheme {

namespace {

struct Colours {
    QColor background;
    QColor text;
    QColor disabledText;
    QColor highlight;
};

QPalette build(const Colours& c) {
    QPalette p(c.background, c.background);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = group == QPalette::Disabled ? c.disabledText : c.text;
        p.setColor(group, QPalette::Window, c.background);
        p.setColor(group, QPalette::Base, c.background);
        p.setColor(group, QPalette::Button, c.background);
        // Styles that etch disabled text draw the etch in Light: on these
        // flat menus it only blurs the text.
        p.setColor(group, QPalette::Light, c.background);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, c.highlight);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        QColor placeholder = c.text;
        placeholder.setAlphaF(0.6);
        p.setColor(group, QPalette::PlaceholderText, placeholder);
    }
    p.setResolveMask(~QPalette::ResolveMask(0));
    return p;
}

} // namespace

MenuScheme forStyle(bool frame, const QColor& shownColor) {
    if (frame)
        return MenuScheme::Window;
    return shownColor.rgb() == QColor(Qt::white).rgb() ? MenuScheme::Dark : MenuScheme::Light;
}

QPalette palette(MenuScheme scheme, const QPalette& windowPalette) {
    switch (scheme) {
    case MenuScheme::Dark:
        return build({QColor(0x2b, 0x2b, 0x2d), QColor(0xf5, 0xf5, 0xf7), QColor(0x7c, 0x7c, 0x80),
                      QColor(0x2f, 0x66, 0xd0)});
    case MenuScheme::Light:
        return build({QColor(0xf4, 0xf4, 0xf5), QColor(0x1d, 0x1d, 0x1f), QColor(0xa1, 0xa1, 0xa6),
                      QColor(0x2f, 0x66, 0xd0)});
    case MenuScheme::Window:
        break;
    }
    // A menu is a window of its own and inherits nothing: every role of the
    // window's palette is handed over, inherited ones included.
    QPalette copy = windowPalette;
    copy.setResolveMask(~QPalette::ResolveMask(0));
    return copy;
}

QColor destructiveColour() {
    return QColor(0xff, 0x3b, 0x30);
}

} // namespace menuscheme
