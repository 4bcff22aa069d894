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

TEST(WindowToolbar, ButtonsInOrderAtTheRightEachGivingItsCommandOnlyWhileOffered) {
    ToolbarOver view(Qt::darkGray);
    WindowToolbar* toolbar = view.toolbar;
    const auto row = [&] {
        QStringList row;
        for (QWidget* item : toolbar->items()) {
            auto* b = qobject_cast<ToolbarButton*>(item);
            row << (b ? view.tryOut(b, [b] { QTest::mouseClick(b, Qt::LeftButton); }) : "more");
        }
        return row.join(", ").toStdString();
    };
    EXPECT_EQ(row(), "zoomMinus, zoomReset, zoomPlus, hideinfosidebar, more");
    toolbar->setEditorInstalled(true);
    EXPECT_EQ(row(), "zoomMinus, zoomReset, zoomPlus, hideinfosidebar, openDarkroom, more");
    const QList<QWidget*> items = toolbar->items();

    // Pressing "more" opens its menu and gives nothing.
    QTest::mouseClick(items.last(), Qt::LeftButton);
    EXPECT_TRUE(toolbar->moreMenu()->isVisible());
    toolbar->moreMenu()->hide();
    EXPECT_TRUE(view.commands.isEmpty() && view.confirmations.isEmpty());

    // Left to right against the right edge, on one line.
    toolbar->layout()->activate();
    EXPECT_EQ(view.rectOf(items.last()).right(), toolbar->width() - 1);
    for (int i = 1; i < items.size(); ++i) {
        const QRect left = view.rectOf(items[i - 1]), right = view.rectOf(items[i]);
        EXPECT_GT(right.left(), left.right()) << i;
        EXPECT_LE(std::abs(left.center().y() - right.center().y()), 1) << i;
    }
    toolbar->setEditorInstalled(false);
    EXPECT_EQ(toolbar->items().size(), 5);
}

// Every entry of both menus gives a command of its own, only while offered;
// the last, "Delete Image", asks first.
TEST(WindowToolbar, MenuEntriesEachGiveTheirCommandOnlyWhileOfferedAndDeleteAsks) {
    ToolbarOver view(Qt::black, false, Qt::white);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    for (QMenu* menu : {static_cast<QMenu*>(view.toolbar->moreMenu()), picture}) {
        QStringList given;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator())
                given << view.tryOut(a, [a] { a->trigger(); });
        }
        EXPECT_FALSE(given.contains(""));
        EXPECT_EQ(given.size(), QSet<QString>(given.begin(), given.end()).size());
        EXPECT_EQ(given.last(), "asks");
        EXPECT_TRUE(qobject_cast<DestructiveToolbarMenuButton*>(menu->actions().last()));
    }
}

TEST(WindowToolbar, TheMoreMenuEndsWithAnUnclickablePlainNoteWhenThereIsOne) {
    ToolbarOver view(Qt::black);
    const QString note = "Rotation turns the view only: <b>a.jpg</b> cannot be written.";
    view.toolbar->setMoreMenuNote(note);
    const QList<QAction*> actions = view.toolbar->moreMenu()->actions();
    auto* line = qobject_cast<QWidgetAction*>(actions.last());
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->isEnabled());
    auto* label = qobject_cast<QLabel*>(line->defaultWidget());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), note);
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << "a file name is never markup";
    EXPECT_TRUE(actions[actions.size() - 2]->isVisible());
    view.toolbar->setMoreMenuNote("");
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
        EXPECT_LE(nearest(view.grab(), area, c.shown), 12) << "symbol in the controls' colour";
        EXPECT_LE(distance(view.grab().pixelColor(padding), c.picture), 2) << "no background";

        hover(zoomIn);
        ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() >= 1.0; }, 3000));
        EXPECT_LE(distance(view.grab().pixelColor(padding), over(c.picture, c.hover, 0.3)), 3);
        // Withheld while hovered: the background goes and the symbol fades.
        view.toolbar->setAvailable(C::zoomPlus, false);
        EXPECT_FALSE(zoomIn->backgroundOn());
        ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() <= 0; }, 3000));
        const QImage shot = view.grab();
        EXPECT_LE(distance(shot.pixelColor(padding), c.picture), 2);
        EXPECT_GT(nearest(shot, area, c.shown), 60) << "a disabled symbol is not drawn in full";
        EXPECT_LE(nearest(shot, area, over(c.picture, c.shown, 0.35)), 12);
    }
}

TEST(WindowToolbar, MenusAreDarkOverADarkPictureLightOverALightOneAndTheWindowsWithTheFrame) {
    ToolbarOver view(Qt::black, false, Qt::white);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    QMenu* more = view.toolbar->moreMenu();
    EXPECT_LT(std::max(menuLuminance(more), menuLuminance(picture)), 0.25);

    // Withheld entries fade their symbols like their text: the style's own
    // greying would leave a white symbol nearly white on the dark menu.
    view.toolbar->setAvailable(C::printImage, false);
    QAction* print = nullptr;
    for (QAction* a : picture->actions())
        print = a->text() == "Print" ? a : print;
    ASSERT_TRUE(print);
    const QImage faded = print->icon().pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    const QColor disabledText = picture->palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_LE(nearest(faded, faded.rect(), disabledText), 4);
    EXPECT_GT(nearest(faded, faded.rect(), Qt::white), 60);

    view.toolbar->setShownColor(Qt::black);
    EXPECT_GT(std::min(menuLuminance(more), menuLuminance(picture)), 0.75);

    // With the frame: the window's colours, also when they change later.
    view.toolbar->setFrameStyle(true);
    QPalette window = view.backdrop.palette();
    window.setColor(QPalette::Base, QColor(250, 235, 200));
    view.backdrop.setPalette(window);
    for (QMenu* menu : {more, picture})
        EXPECT_EQ(menu->palette().color(QPalette::Base), QColor(250, 235, 200));
}
