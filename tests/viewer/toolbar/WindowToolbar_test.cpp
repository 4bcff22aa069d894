#include "viewer/toolbar/ToolbarButton.h"
#include "viewer/toolbar/ToolbarMenu.h"
#include "viewer/toolbar/ToolbarMenuButton.h"
#include "viewer/toolbar/WindowToolbar.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>
#include <QWidgetAction>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using C = WindowCommand;

// A toolbar laid over an opaque backdrop that stands for the picture (or,
// with the frame, the toolbar band), shown so that the layout runs.
struct ToolbarOver {
    QWidget backdrop;
    WindowToolbar* toolbar;
    explicit ToolbarOver(QColor colour) {
        QPalette palette = backdrop.palette();
        palette.setColor(QPalette::Window, colour);
        backdrop.setPalette(palette);
        backdrop.setAutoFillBackground(true);
        backdrop.resize(320, 40);
        toolbar = new WindowToolbar(&backdrop);
        toolbar->setGeometry(0, 0, 320, 40);
        backdrop.show();
    }
    ~ToolbarOver() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMenu*>(w))
                w->hide();
        }
    }
    QImage grab() { return backdrop.grab().toImage(); }
    QRect rectOf(QWidget* item) const {
        return QRect(item->mapTo(&backdrop, QPoint()), item->size());
    }
};

int distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// The pixel of `area` nearest to `colour`, by its largest channel difference.
int nearest(const QImage& image, const QRect& area, const QColor& colour) {
    int best = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::min(best, distance(image.pixelColor(x, y), colour));
    }
    return best;
}

// `colour` laid over `under` at `alpha`.
QColor over(const QColor& under, const QColor& colour, double alpha) {
    const auto mix = [alpha](int a, int b) {
        return int(std::lround(a * (1 - alpha) + b * alpha));
    };
    return QColor(mix(under.red(), colour.red()), mix(under.green(), colour.green()),
                  mix(under.blue(), colour.blue()));
}

void hover(QWidget* widget) {
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(widget, &enter);
}

void unhover(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

// Hovers `button` and waits for its background to fade in completely.
void hoverFully(ToolbarButton* button) {
    hover(button);
    ASSERT_TRUE(QTest::qWaitFor([button] { return button->backgroundProgress() >= 1.0; }, 3000));
}

QStringList texts(const QMenu* menu) {
    QStringList list;
    for (const QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        list << (action->isSeparator() ? QStringLiteral("--") : action->text());
    }
    return list;
}

QAction* entry(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

bool reddish(const QColor& c) {
    return c.red() - c.green() > 60 && c.red() - c.blue() > 60;
}

// How many red pixels the row of `action` shows in the left (icon) and
// right (text) parts of the open menu.
std::pair<int, int> redInRow(QMenu* menu, QAction* action) {
    const QImage shot = menu->grab().toImage();
    const QRect row = menu->actionGeometry(action);
    int icon = 0;
    int text = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = row.left(); x <= row.right(); ++x) {
            if (reddish(shot.pixelColor(x, y)))
                (x < row.left() + 30 ? icon : text)++;
        }
    }
    return {icon, text};
}

double luminance(const QColor& c) {
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

} // namespace

TEST(WindowToolbar, FiveItemsWithoutTheEditorSixWithItInOrderAndEvenlySpacedAtTheRight) {
    ToolbarOver view(Qt::darkGray);
    WindowToolbar* toolbar = view.toolbar;

    const auto describe = [&] {
        QStringList list;
        for (QWidget* item : toolbar->items()) {
            auto* button = qobject_cast<ToolbarButton*>(item);
            list << (button ? button->image() + "|" + button->toolTip()
                            : (qobject_cast<ToolbarMenuButton*>(item) ? QString("more") : "?"));
        }
        return list;
    };
    EXPECT_EQ(describe(),
              QStringList({"minus.magnifyingglass|Zoom Out", "1.magnifyingglass|Reset Zoom",
                           "plus.magnifyingglass|Zoom In", "doc.text|Show Image Details", "more"}));

    toolbar->setEditorInstalled(true);
    EXPECT_EQ(describe(),
              QStringList({"minus.magnifyingglass|Zoom Out", "1.magnifyingglass|Reset Zoom",
                           "plus.magnifyingglass|Zoom In", "doc.text|Show Image Details",
                           "darkroom|Open in Darkroom", "more"}));
    EXPECT_TRUE(qobject_cast<ToolbarImageButton*>(toolbar->items()[4]));
    EXPECT_TRUE(toolbar->moreButton()->toolTip().isEmpty());

    // Laid out left to right against the right edge, one spacing apart,
    // centred on one line; the picture's frame is 25 wide plus padding.
    toolbar->layout()->activate();
    const QList<QWidget*> items = toolbar->items();
    EXPECT_EQ(view.rectOf(items.last()).right(), toolbar->width() - 1);
    for (int i = 1; i < items.size(); ++i) {
        const QRect left = view.rectOf(items[i - 1]);
        const QRect right = view.rectOf(items[i]);
        EXPECT_EQ(right.left() - left.right() - 1, WindowToolbar::itemSpacing) << i;
        EXPECT_LE(std::abs(left.center().y() - right.center().y()), 1) << i;
    }
    EXPECT_EQ(items[0]->size(), QSize(28, 28));
    EXPECT_EQ(items[4]->width(), 29);
    EXPECT_EQ(items[5]->size(), QSize(26, 26));

    toolbar->setEditorInstalled(false);
    EXPECT_EQ(toolbar->items().size(), 5);
    EXPECT_EQ(describe().last(), "more");
}

TEST(WindowToolbar, MoreMenuHoldsTheEntriesInOrderWithDividersIconsANoteAndARedDelete) {
    ToolbarOver view(Qt::black);
    view.toolbar->setFrameStyle(false);
    view.toolbar->setShownColor(Qt::white);
    ToolbarMenu* menu = view.toolbar->moreMenu();

    EXPECT_EQ(texts(menu), QStringList({"Convert to PNG", "Convert to JPEG", "Convert to BMP", "--",
                                        "Show in File Manager", "Print", "--", "Rotate clockwise",
                                        "Rotate counterclockwise", "--", "Delete Image"}));
    for (const char* text : {"Convert to PNG", "Convert to JPEG", "Convert to BMP"})
        EXPECT_TRUE(entry(menu, text)->icon().isNull()) << text;
    for (const char* text :
         {"Show in File Manager", "Print", "Rotate clockwise", "Rotate counterclockwise"})
        EXPECT_FALSE(entry(menu, text)->icon().isNull()) << text;
    QAction* remove = entry(menu, "Delete Image");
    EXPECT_TRUE(qobject_cast<DestructiveToolbarMenuButton*>(remove));

    // Open, the delete row shows red in its icon and its text (faded while
    // deleting is not offered, but red all the same); the others do not.
    menu->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    const auto [deleteIcon, deleteText] = redInRow(menu, remove);
    EXPECT_GT(deleteIcon, 10);
    EXPECT_GT(deleteText, 10);
    const auto [printIcon, printText] = redInRow(menu, entry(menu, "Print"));
    EXPECT_EQ(printIcon + printText, 0);
    menu->hide();

    // The note is a last, unclickable line after a divider; empty removes it.
    view.toolbar->setMoreMenuNote("Rotation turns the view only: the file cannot be written.");
    QStringList withNote = texts(menu);
    ASSERT_EQ(withNote.size(), 13);
    EXPECT_EQ(withNote[11], "--");
    EXPECT_EQ(menu->note(), "Rotation turns the view only: the file cannot be written.");
    auto* noteAction = qobject_cast<QWidgetAction*>(menu->actions().last());
    ASSERT_TRUE(noteAction);
    EXPECT_FALSE(noteAction->isEnabled());
    auto* label = qobject_cast<QLabel*>(noteAction->defaultWidget());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Rotation turns the view only: the file cannot be written.");
    view.toolbar->setMoreMenuNote("<b>a.jpg</b> & co");
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << "a file name is never markup";
    view.toolbar->setMoreMenuNote("");
    EXPECT_EQ(texts(menu).size(), 11);
    EXPECT_TRUE(menu->note().isEmpty());
}

TEST(WindowToolbar, PictureMenuCarriesTheToolbarsSetThroughItsSignals) {
    ToolbarOver view(Qt::white);
    QMenu* menu = buildPictureContextMenu(view.toolbar, &view.backdrop);
    EXPECT_EQ(texts(menu),
              QStringList({"Zoom Out", "Reset Zoom", "Zoom In", "Show Image Details", "--",
                           "Show in File Manager", "Print", "--", "Delete Image"}));
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
        }
    }
    QAction* remove = entry(menu, "Delete Image");
    ASSERT_TRUE(qobject_cast<DestructiveToolbarMenuButton*>(remove));
    menu->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_GT(redInRow(menu, remove).second, 10);
    menu->hide();

    QSignalSpy commands(view.toolbar, &WindowToolbar::commandTriggered);
    QSignalSpy confirmations(view.toolbar, &WindowToolbar::deleteConfirmationRequested);
    entry(menu, "Zoom In")->trigger();
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0][0].value<WindowCommand>(), C::zoomPlus);

    // Withheld by the window, the entry is disabled and gives nothing; the
    // toolbar's button follows too.
    view.toolbar->setAvailable(C::zoomPlus, false);
    EXPECT_FALSE(entry(menu, "Zoom In")->isEnabled());
    EXPECT_FALSE(view.toolbar->button(C::zoomPlus)->isEnabled());
    entry(menu, "Zoom In")->trigger();
    EXPECT_EQ(commands.size(), 1);
    view.toolbar->setAvailable(C::zoomPlus, true);
    EXPECT_TRUE(entry(menu, "Zoom In")->isEnabled());

    for (const char* text : {"Show Image Details", "Show in File Manager", "Print", "Delete Image"})
        EXPECT_TRUE(entry(menu, text)->isEnabled()) << text;
    remove->trigger();
    EXPECT_EQ(confirmations.size(), 1);
    EXPECT_EQ(commands.size(), 1) << "deleting asks first; it never gives the command itself";
}

TEST(WindowToolbar, EveryControlReportsItsCommandAndValueOnlyWhileOffered) {
    ToolbarOver view(Qt::darkGray);
    WindowToolbar* toolbar = view.toolbar;
    toolbar->setEditorInstalled(true);
    toolbar->layout()->activate();
    QSignalSpy commands(toolbar, &WindowToolbar::commandTriggered);
    QSignalSpy confirmations(toolbar, &WindowToolbar::deleteConfirmationRequested);

    for (C command :
         {C::zoomMinus, C::zoomReset, C::zoomPlus, C::hideinfosidebar, C::openDarkroom}) {
        commands.clear();
        ToolbarButton* button = toolbar->button(command);
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->isEnabled()) << int(command);
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(commands.size(), 1) << int(command);
        EXPECT_EQ(commands[0][0].value<WindowCommand>(), command);
        EXPECT_TRUE(commands[0][1].toMap().isEmpty());
    }

    // Withholding an offered command disables its button; clicks give nothing.
    commands.clear();
    toolbar->setAvailable(C::zoomMinus, false);
    QTest::mouseClick(toolbar->button(C::zoomMinus), Qt::LeftButton);
    toolbar->requestCommand(C::zoomMinus);
    EXPECT_EQ(commands.size(), 0);
    toolbar->setAvailable(C::zoomMinus, true);
    QTest::mouseClick(toolbar->button(C::zoomMinus), Qt::LeftButton);
    EXPECT_EQ(commands.size(), 1);

    // The menu's entries: conversions carry their extension under "value".
    ToolbarMenu* menu = toolbar->moreMenu();
    const struct {
        const char* text;
        WindowCommand command;
        const char* value;
    } expected[] = {{"Convert to PNG", C::convertImage, "png"},
                    {"Convert to JPEG", C::convertImage, "jpg"},
                    {"Convert to BMP", C::convertImage, "bmp"},
                    {"Show in File Manager", C::showInFinder, nullptr},
                    {"Print", C::printImage, nullptr},
                    {"Rotate clockwise", C::rotateClock, nullptr},
                    {"Rotate counterclockwise", C::rotateCounter, nullptr}};
    for (const auto& e : expected) {
        commands.clear();
        QAction* action = entry(menu, e.text);
        ASSERT_TRUE(action) << e.text;
        EXPECT_TRUE(action->isEnabled()) << e.text;
        action->trigger();
        ASSERT_EQ(commands.size(), 1) << e.text;
        EXPECT_EQ(commands[0][0].value<WindowCommand>(), e.command) << e.text;
        EXPECT_EQ(commands[0][1].toMap().value("value").toString(),
                  e.value ? QString(e.value) : QString())
            << e.text;
    }

    // Pressing the more button opens its menu and gives no command.
    commands.clear();
    QTest::mouseClick(toolbar->moreButton(), Qt::LeftButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(commands.size(), 0);
    EXPECT_EQ(confirmations.size(), 0);
    menu->hide();
}

TEST(WindowToolbar, FramelessControlsAreWhiteOverADarkPictureAndBlackOverALightOne) {
    struct Case {
        QColor picture;
        QColor shown;
        QColor hoverColour;
    };
    // The pictures are coloured so that a hover background of the wrong
    // colour, or none, cannot pass for the right one.
    for (const Case& c : {Case{QColor(30, 30, 140), Qt::white, Qt::black},
                          Case{QColor(230, 220, 120), Qt::black, Qt::white}}) {
        SCOPED_TRACE(c.picture.name().toStdString());
        ToolbarOver view(c.picture);
        view.toolbar->setFrameStyle(false);
        view.toolbar->setShownColor(c.shown);
        ToolbarButton* zoomIn = view.toolbar->button(C::zoomPlus);
        const QRect area = view.rectOf(zoomIn);

        QImage shot = view.grab();
        EXPECT_LE(nearest(shot, area, c.shown), 12) << "symbol pixels in the controls' colour";
        EXPECT_GT(nearest(shot, area, c.hoverColour), 60) << "and none of the opposite";
        const QPoint padding = area.topLeft() + QPoint(2, area.height() / 2);
        EXPECT_LE(distance(shot.pixelColor(padding), c.picture), 2) << "no background unhovered";

        hoverFully(zoomIn);
        EXPECT_TRUE(zoomIn->backgroundOn());
        shot = view.grab();
        EXPECT_LE(distance(shot.pixelColor(padding), over(c.picture, c.hoverColour, 0.3)), 3)
            << shot.pixelColor(padding).name().toStdString();
        EXPECT_LE(distance(shot.pixelColor(area.topLeft()), c.picture), 12) << "rounded corner";

        unhover(zoomIn);
        EXPECT_FALSE(zoomIn->backgroundOn());
        ASSERT_TRUE(QTest::qWaitFor([zoomIn] { return zoomIn->backgroundProgress() <= 0; }, 3000));
        EXPECT_LE(distance(view.grab().pixelColor(padding), c.picture), 2);

        // The ellipsis too is in the controls' colour (a fixed white would
        // vanish over the light picture); its hover background follows them.
        ToolbarMenuButton* more = view.toolbar->moreButton();
        const QRect moreArea = view.rectOf(more);
        const QPoint morePadding = moreArea.topLeft() + QPoint(2, 3);
        EXPECT_LE(nearest(view.grab(), moreArea, c.shown), 12);
        EXPECT_GT(nearest(view.grab(), moreArea, c.hoverColour), 60);
        hover(more);
        EXPECT_TRUE(more->menuBackgroundOn());
        EXPECT_LE(
            distance(view.grab().pixelColor(morePadding), over(c.picture, c.hoverColour, 0.3)), 3);
        unhover(more);
        EXPECT_FALSE(more->menuBackgroundOn());
    }
}

TEST(WindowToolbar, WithTheFrameControlsUseTheLabelColourAndDisabledOnesFadeWithoutHover) {
    ToolbarOver view(QColor(236, 236, 236));
    QPalette palette = view.backdrop.palette();
    const QColor label(40, 90, 200);
    palette.setColor(QPalette::WindowText, label);
    view.backdrop.setPalette(palette);
    view.toolbar->setFrameStyle(true);
    view.toolbar->setShownColor(view.toolbar->palette().color(QPalette::WindowText));

    ToolbarButton* reset = view.toolbar->button(C::zoomReset);
    const QRect area = view.rectOf(reset);
    EXPECT_LE(nearest(view.grab(), area, label), 12);
    EXPECT_LE(nearest(view.grab(), view.rectOf(view.toolbar->moreButton()), label), 12);
    hoverFully(reset);
    const QPoint padding = area.topLeft() + QPoint(2, area.height() / 2);
    EXPECT_LE(
        distance(view.grab().pixelColor(padding), over(QColor(236, 236, 236), Qt::white, 0.3)), 3);

    // Withheld while hovered: the background goes and the symbol fades.
    view.toolbar->setAvailable(C::zoomReset, false);
    EXPECT_FALSE(reset->backgroundOn());
    ASSERT_TRUE(QTest::qWaitFor([reset] { return reset->backgroundProgress() <= 0; }, 3000));
    const QImage shot = view.grab();
    EXPECT_LE(distance(shot.pixelColor(padding), QColor(236, 236, 236)), 2);
    EXPECT_GT(nearest(shot, area, label), 60) << "a disabled symbol is not drawn in full colour";
    EXPECT_LE(nearest(shot, area, over(QColor(236, 236, 236), label, 0.35)), 12);
}

TEST(WindowToolbar, MenusAreDarkOverADarkPictureLightOverALightOneAndTheWindowsWithTheFrame) {
    ToolbarOver view(Qt::black);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    const auto background = [](QMenu* menu) {
        menu->popup(QPoint(0, 0));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        // Between the icon column and the text, below the first entry.
        const QImage shot = menu->grab().toImage();
        const QRect first = menu->actionGeometry(menu->actions().first());
        const QColor colour = shot.pixelColor(first.right() - 3, first.center().y());
        menu->hide();
        return colour;
    };
    view.toolbar->setFrameStyle(false);
    view.toolbar->setShownColor(Qt::white);
    EXPECT_LT(luminance(background(view.toolbar->moreMenu())), 0.25);
    EXPECT_LT(luminance(background(picture)), 0.25);
    EXPECT_GT(luminance(picture->palette().color(QPalette::Text)), 0.75);

    // Withheld entries fade their symbols like their text: the style's own
    // greying would leave a white symbol nearly white on the dark menu.
    view.toolbar->setAvailable(C::printImage, false);
    const QImage faded = entry(picture, "Print")
                             ->icon()
                             .pixmap(QSize(16, 16), 1.0, QIcon::Disabled)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    const QColor disabledText = picture->palette().color(QPalette::Disabled, QPalette::Text);
    int fadedPixels = 0;
    for (int y = 0; y < faded.height(); ++y) {
        for (int x = 0; x < faded.width(); ++x) {
            const QColor pixel = faded.pixelColor(x, y);
            if (pixel.alpha() >= 128) {
                ++fadedPixels;
                EXPECT_LE(distance(pixel, disabledText), 4) << x << ',' << y;
            }
        }
    }
    EXPECT_GT(fadedPixels, 5);

    view.toolbar->setShownColor(Qt::black);
    EXPECT_GT(luminance(background(view.toolbar->moreMenu())), 0.75);
    EXPECT_GT(luminance(background(picture)), 0.75);
    EXPECT_LT(luminance(picture->palette().color(QPalette::Text)), 0.25);

    // With the frame: the window's colours, also when they change later.
    view.toolbar->setFrameStyle(true);
    QPalette window = view.backdrop.palette();
    window.setColor(QPalette::Base, QColor(250, 235, 200));
    window.setColor(QPalette::Text, QColor(90, 30, 10));
    view.backdrop.setPalette(window);
    for (QMenu* menu : {static_cast<QMenu*>(view.toolbar->moreMenu()), picture}) {
        EXPECT_EQ(menu->palette().color(QPalette::Base), QColor(250, 235, 200));
        EXPECT_EQ(menu->palette().color(QPalette::Text), QColor(90, 30, 10));
    }
}
