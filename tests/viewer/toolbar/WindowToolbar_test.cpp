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
#include <gtest/gtest.h>

namespace {

using C = WindowCommand;

// A toolbar laid over an opaque backdrop that stands for the picture (or,
// with the frame, the toolbar band), shown so that the layout runs.
struct ToolbarOver {
    QWidget backdrop;
    WindowToolbar* toolbar = new WindowToolbar(&backdrop);
    QSignalSpy commands{toolbar, &WindowToolbar::commandTriggered};
    QSignalSpy confirmations{toolbar, &WindowToolbar::deleteConfirmationRequested};

    explicit ToolbarOver(QColor colour, bool frame = true, QColor shown = Qt::black) {
        QPalette palette = backdrop.palette();
        palette.setColor(QPalette::Window, colour);
        backdrop.setPalette(palette);
        backdrop.setAutoFillBackground(true);
        backdrop.resize(320, 40);
        toolbar->setGeometry(0, 0, 320, 40);
        toolbar->setFrameStyle(frame);
        toolbar->setShownColor(shown);
        backdrop.show();
    }
    QImage grab() { return backdrop.grab().toImage(); }
    QRect rectOf(QWidget* item) const {
        return QRect(item->mapTo(&backdrop, QPoint()), item->size());
    }

    // What using a control or an entry reports: the command's name and
    // value, "asks" for the delete confirmation. While its command is
    // withheld it is disabled and reports nothing, nor does asking for it.
    template <typename Control> QString tryOut(Control* control, const std::function<void()>& use) {
        const auto reported = [this](const std::function<void()>& act) {
            commands.clear();
            confirmations.clear();
            act();
            if (commands.isEmpty())
                return QString(confirmations.isEmpty() ? "" : "asks");
            const WindowCommand command = commands[0][0].value<WindowCommand>();
            const QString value = commands[0][1].toMap().value("value").toString();
            return (windowcommands::entry(command).name + ' ' + value).trimmed();
        };
        const QString result = reported(use);
        const WindowCommandEntry* named = windowcommands::named(result.section(' ', 0, 0));
        const WindowCommand command = result == "asks" ? C::deleteImage
                                      : named          ? named->command
                                                       : C::ignoreKey;
        toolbar->setAvailable(command, false);
        EXPECT_FALSE(control->isEnabled()) << result.toStdString();
        const auto ask = [&] {
            use();
            command == C::deleteImage ? toolbar->requestDeleteConfirmation()
                                      : toolbar->requestCommand(command);
        };
        EXPECT_EQ(reported(ask), "") << result.toStdString();
        toolbar->setAvailable(command, true);
        EXPECT_TRUE(control->isEnabled());
        return result;
    }
};

int distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

// How close the pixel of `area` nearest to `colour` comes to it.
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

void hover(QWidget* widget, bool on = true) {
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, on ? static_cast<QEvent*>(&enter) : &leave);
}

// How many red pixels the row of `action` shows in the open menu, left (the
// icon) and right (the text).
std::pair<int, int> redInRow(QMenu* menu, QAction* action) {
    const QImage shot = menu->grab().toImage();
    const QRect row = menu->actionGeometry(action);
    int icon = 0, text = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = row.left(); x <= row.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() - c.green() > 60 && c.red() - c.blue() > 60)
                (x < row.left() + 30 ? icon : text)++;
        }
    }
    return {icon, text};
}

// The colour of an open menu between the icon column and the text.
double menuLuminance(QMenu* menu) {
    menu->popup(QPoint(0, 0));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
    const QRect first = menu->actionGeometry(menu->actions().first());
    const QColor c = menu->grab().toImage().pixelColor(first.right() - 3, first.center().y());
    menu->hide();
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

} // namespace

TEST(WindowToolbar, ButtonsInOrderEvenlySpacedAtTheRightEachGivingItsCommandOnlyWhileOffered) {
    ToolbarOver view(Qt::darkGray);
    WindowToolbar* toolbar = view.toolbar;
    const auto row = [&] {
        QStringList row;
        for (QWidget* item : toolbar->items()) {
            auto* b = qobject_cast<ToolbarButton*>(item);
            row << (b ? b->image() + " " + b->toolTip() + ": " +
                            view.tryOut(b, [b] { QTest::mouseClick(b, Qt::LeftButton); })
                      : "more");
        }
        return row.join(", ").toStdString();
    };
    const std::string zoomAndDetails =
        "minus.magnifyingglass Zoom Out: zoomMinus, 1.magnifyingglass Reset Zoom: zoomReset, "
        "plus.magnifyingglass Zoom In: zoomPlus, doc.text Show Image Details: hideinfosidebar, ";
    EXPECT_EQ(row(), zoomAndDetails + "more");
    toolbar->setEditorInstalled(true);
    EXPECT_EQ(row(), zoomAndDetails + "darkroom Open in Darkroom: openDarkroom, more");
    const QList<QWidget*> items = toolbar->items();
    EXPECT_TRUE(qobject_cast<ToolbarImageButton*>(items[4]));
    EXPECT_EQ(toolbar->button(C::openDarkroom), items[4]);

    // Pressing "more" opens its menu and gives nothing.
    EXPECT_TRUE(items[5]->toolTip().isEmpty());
    QTest::mouseClick(items[5], Qt::LeftButton);
    EXPECT_TRUE(toolbar->moreMenu()->isVisible());
    toolbar->moreMenu()->hide();
    EXPECT_TRUE(view.commands.isEmpty() && view.confirmations.isEmpty());

    // Left to right against the right edge, one spacing apart, centred on
    // one line; the picture's frame is 25 wide plus padding.
    toolbar->layout()->activate();
    EXPECT_EQ(view.rectOf(items.last()).right(), toolbar->width() - 1);
    for (int i = 1; i < items.size(); ++i) {
        const QRect left = view.rectOf(items[i - 1]), right = view.rectOf(items[i]);
        EXPECT_EQ(right.left() - left.right() - 1, WindowToolbar::itemSpacing) << i;
        EXPECT_LE(std::abs(left.center().y() - right.center().y()), 1) << i;
    }
    EXPECT_EQ(items[0]->size(), QSize(28, 28));
    EXPECT_EQ(items[4]->width(), 29);
    EXPECT_EQ(items[5]->size(), QSize(26, 26));
    toolbar->setEditorInstalled(false);
    EXPECT_EQ(toolbar->items().size(), 5);
}

// Both menus: their entries in order with dividers, symbols (*) where given,
// each reporting its command and value only while offered, and the red
// "Delete Image" that asks first.
TEST(WindowToolbar, MenusListTheirEntriesAndEachGivesItsCommandOnlyWhileOffered) {
    ToolbarOver view(Qt::black, false, Qt::white);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    const auto entries = [&](QMenu* menu) {
        QStringList entries;
        for (QAction* a : menu->actions())
            entries << (a->isSeparator() ? QString("--")
                                         : a->text() + (a->icon().isNull() ? ": " : "*: ") +
                                               view.tryOut(a, [a] { a->trigger(); }));
        return entries.join(", ").toStdString();
    };
    EXPECT_EQ(entries(view.toolbar->moreMenu()),
              "Convert to PNG: convertImage png, Convert to JPEG: convertImage jpg, "
              "Convert to BMP: convertImage bmp, --, Show in File Manager*: showInFinder, "
              "Print*: printImage, --, Rotate clockwise*: rotateClock, "
              "Rotate counterclockwise*: rotateCounter, --, Delete Image*: asks");
    EXPECT_EQ(entries(picture),
              "Zoom Out*: zoomMinus, Reset Zoom*: zoomReset, Zoom In*: zoomPlus, "
              "Show Image Details*: hideinfosidebar, --, Show in File Manager*: showInFinder, "
              "Print*: printImage, --, Delete Image*: asks");
    // Open, the delete row shows red in its symbol and its text; the others
    // do not.
    for (QMenu* menu : {static_cast<QMenu*>(view.toolbar->moreMenu()), picture}) {
        QAction* remove = menu->actions().last();
        EXPECT_TRUE(qobject_cast<DestructiveToolbarMenuButton*>(remove));
        menu->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        const auto [icon, text] = redInRow(menu, remove);
        EXPECT_GT(std::min(icon, text), 10);
        const auto [otherIcon, otherText] =
            redInRow(menu, menu->actions()[menu->actions().size() - 3]);
        EXPECT_EQ(otherIcon + otherText, 0);
        menu->hide();
    }
}

TEST(WindowToolbar, TheMoreMenuEndsWithAnUnclickablePlainNoteWhenThereIsOne) {
    ToolbarOver view(Qt::black);
    ToolbarMenu* menu = view.toolbar->moreMenu();
    const QString note = "Rotation turns the view only: <b>a.jpg</b> cannot be written.";
    view.toolbar->setMoreMenuNote(note);
    EXPECT_EQ(menu->note(), note);
    const QList<QAction*> actions = menu->actions();
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator() &&
                actions[actions.size() - 2]->isVisible());
    auto* line = qobject_cast<QWidgetAction*>(actions.last());
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->isEnabled());
    auto* label = qobject_cast<QLabel*>(line->defaultWidget());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), note);
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << "a file name is never markup";
    view.toolbar->setMoreMenuNote("");
    EXPECT_TRUE(menu->note().isEmpty());
    EXPECT_FALSE(line->isVisible() || actions[actions.size() - 2]->isVisible());
}

// The controls in their colour over the picture (frameless: white over a
// dark one, black over a light one; with the frame: the label colour), a
// hover background that contrasts with them, and faded when withheld.
TEST(WindowToolbar, ControlsInTheirColourWithAContrastingHoverAndFadedWhenWithheld) {
    const struct {
        QColor picture;
        bool frame;
        QColor shown, hover;
    } cases[] = {{QColor(30, 30, 140), false, Qt::white, Qt::black},
                 {QColor(230, 220, 120), false, Qt::black, Qt::white},
                 {QColor(180, 180, 180), true, QColor(40, 90, 200), Qt::white}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture.name().toStdString());
        ToolbarOver view(c.picture, c.frame, c.shown);
        ToolbarButton* zoomIn = view.toolbar->button(C::zoomPlus);
        const QRect area = view.rectOf(zoomIn);
        const QPoint padding = area.topLeft() + QPoint(2, area.height() / 2);
        EXPECT_LE(nearest(view.grab(), area, c.shown), 12)
            << "symbol pixels in the controls' colour";
        EXPECT_GT(nearest(view.grab(), area, c.hover), 60) << "and none of the hover colour";
        EXPECT_LE(distance(view.grab().pixelColor(padding), c.picture), 2) << "no background";

        hover(zoomIn);
        ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() >= 1.0; }, 3000));
        QImage shot = view.grab();
        EXPECT_LE(distance(shot.pixelColor(padding), over(c.picture, c.hover, 0.3)), 3);
        EXPECT_LE(distance(shot.pixelColor(area.topLeft()), c.picture), 12) << "rounded corner";
        hover(zoomIn, false);
        EXPECT_FALSE(zoomIn->backgroundOn());
        // Withheld while hovered: the background goes and the symbol fades.
        hover(zoomIn);
        view.toolbar->setAvailable(C::zoomPlus, false);
        EXPECT_FALSE(zoomIn->backgroundOn());
        ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() <= 0; }, 3000));
        shot = view.grab();
        EXPECT_LE(distance(shot.pixelColor(padding), c.picture), 2);
        EXPECT_GT(nearest(shot, area, c.shown), 60) << "a disabled symbol is not drawn in full";
        EXPECT_LE(nearest(shot, area, over(c.picture, c.shown, 0.35)), 12);

        // "More" in the controls' colour too, its hover following the pointer.
        ToolbarMenuButton* more = view.toolbar->moreButton();
        const QRect moreArea = view.rectOf(more);
        EXPECT_LE(nearest(view.grab(), moreArea, c.shown), 12);
        EXPECT_GT(nearest(view.grab(), moreArea, c.hover), 60);
        hover(more);
        EXPECT_TRUE(more->menuBackgroundOn());
        EXPECT_LE(distance(view.grab().pixelColor(moreArea.topLeft() + QPoint(2, 3)),
                           over(c.picture, c.hover, 0.3)),
                  3);
        hover(more, false);
        EXPECT_FALSE(more->menuBackgroundOn());
    }
}

TEST(WindowToolbar, MenusAreDarkOverADarkPictureLightOverALightOneAndTheWindowsWithTheFrame) {
    ToolbarOver view(Qt::black, false, Qt::white);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    QMenu* more = view.toolbar->moreMenu();
    EXPECT_LT(std::max(menuLuminance(more), menuLuminance(picture)), 0.25);
    EXPECT_GT(picture->palette().color(QPalette::Text).lightnessF(), 0.75);

    // Withheld entries fade their symbols like their text: the style's own
    // greying would leave a white symbol nearly white on the dark menu.
    view.toolbar->setAvailable(C::printImage, false);
    const QImage faded = picture->actions()[6]
                             ->icon()
                             .pixmap(QSize(16, 16), 1.0, QIcon::Disabled)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    const QColor disabledText = picture->palette().color(QPalette::Disabled, QPalette::Text);
    int fadedPixels = 0;
    for (int y = 0; y < faded.height(); ++y) {
        for (int x = 0; x < faded.width(); ++x) {
            const QColor pixel = faded.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++fadedPixels;
            EXPECT_LE(distance(pixel, disabledText), 4) << x << ',' << y;
        }
    }
    EXPECT_GT(fadedPixels, 5);

    view.toolbar->setShownColor(Qt::black);
    EXPECT_GT(std::min(menuLuminance(more), menuLuminance(picture)), 0.75);
    EXPECT_LT(picture->palette().color(QPalette::Text).lightnessF(), 0.25);

    // With the frame: the window's colours, also when they change later.
    view.toolbar->setFrameStyle(true);
    QPalette window = view.backdrop.palette();
    window.setColor(QPalette::Base, QColor(250, 235, 200));
    window.setColor(QPalette::Text, QColor(90, 30, 10));
    view.backdrop.setPalette(window);
    for (QMenu* menu : {more, picture}) {
        EXPECT_EQ(menu->palette().color(QPalette::Base), QColor(250, 235, 200));
        EXPECT_EQ(menu->palette().color(QPalette::Text), QColor(90, 30, 10));
    }
}
