#include "viewer/toolbar/ToolbarButton.h"
#include "viewer/toolbar/ToolbarMenu.h"
#include "viewer/toolbar/ToolbarMenuButton.h"
#include "viewer/toolbar/WindowToolbar.h"

#include "support/ImageFixtures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
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

// How close the pixel nearest to `colour` comes to it.
int nearest(const QImage& image, const QColor& colour) {
    int best = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::min(
                best, ImageFixtures::colourDistance(image.pixelColor(x, y).rgb(), colour.rgb()));
    return best;
}

// How light a menu's background is, 0 to 1.
double menuLightness(QMenu* menu) {
    return menu->palette().color(QPalette::Window).lightnessF();
}

} // namespace

TEST(WindowToolbar, ButtonsInOrderEachGivingItsCommandOnlyWhileOffered) {
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
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                given << view.tryOut(a, [a] { a->trigger(); });
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

// The controls take the colour shown over the picture; the hover background
// goes when a control is withheld under the pointer.
TEST(WindowToolbar, ControlsTakeTheShownColourAndLoseTheHoverWhenWithheld) {
    ToolbarOver view(Qt::darkGray, false, QColor(40, 90, 200));
    for (QWidget* item : view.toolbar->items()) {
        if (auto* button = qobject_cast<ToolbarButton*>(item)) {
            EXPECT_EQ(button->shownColor(), QColor(40, 90, 200)) << button->image().toStdString();
        }
    }
    ToolbarButton* zoomIn = view.toolbar->button(C::zoomPlus);
    QEnterEvent hover(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QApplication::sendEvent(zoomIn, &hover);
    ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() >= 1.0; }, 3000));
    view.toolbar->setAvailable(C::zoomPlus, false);
    EXPECT_FALSE(zoomIn->backgroundOn());
    ASSERT_TRUE(QTest::qWaitFor([&] { return zoomIn->backgroundProgress() <= 0; }, 3000));
}

TEST(WindowToolbar, MenusAreDarkOverADarkPictureLightOverALightOneAndTheWindowsWithTheFrame) {
    ToolbarOver view(Qt::black, false, Qt::white);
    QMenu* picture = buildPictureContextMenu(view.toolbar, &view.backdrop);
    QMenu* more = view.toolbar->moreMenu();
    EXPECT_LT(std::max(menuLightness(more), menuLightness(picture)), 0.25);

    // Withheld entries fade their symbols like their text: the style's own
    // greying would leave a white symbol nearly white on the dark menu.
    view.toolbar->setAvailable(C::printImage, false);
    QAction* print = nullptr;
    for (QAction* a : picture->actions())
        print = a->text() == "Print" ? a : print;
    ASSERT_TRUE(print);
    // Symbols are drawn when the menu is shown, not when the window is built.
    EXPECT_TRUE(print->icon().isNull());
    picture->popup(QPoint(0, 0));
    picture->hide();
    const QImage faded = print->icon().pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
    const QColor disabledText = picture->palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_LE(nearest(faded, disabledText), 4);
    EXPECT_GT(nearest(faded, Qt::white), 60);

    view.toolbar->setShownColor(Qt::black);
    EXPECT_GT(std::min(menuLightness(more), menuLightness(picture)), 0.75);

    // With the frame: the window's colours, also when they change later.
    view.toolbar->setFrameStyle(true);
    QPalette window = view.backdrop.palette();
    window.setColor(QPalette::Base, QColor(250, 235, 200));
    view.backdrop.setPalette(window);
    for (QMenu* menu : {more, picture})
        EXPECT_EQ(menu->palette().color(QPalette::Base), QColor(250, 235, 200));
}
