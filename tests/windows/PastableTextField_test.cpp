#include "windows/PastableTextField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

bool keyEquivalent(PastableTextField& field, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    return field.performKeyEquivalent(&event);
}

TEST(PastableTextFieldTest, EditingShortcutsWorkEvenWhereAWindowShortcutHasTheKeys) {
    QWidget window;
    auto* field = new PastableTextField(&window);
    (new QVBoxLayout(&window))->addWidget(field);
    // A window command on Ctrl+V, as a viewer has on Ctrl+C.
    auto* stealer = new QAction(&window);
    stealer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    window.addAction(stealer);
    QSignalSpy stolen(stealer, &QAction::triggered);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();

    QGuiApplication::clipboard()->setText("hello");
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "hello");
    EXPECT_EQ(stolen.count(), 0);

    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), "hello");
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "hello");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->text(), "");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    field->selectAll();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello");
}

TEST(PastableTextFieldTest, AnExtraModifierOrAnotherKeyFallsThrough) {
    PastableTextField field;
    field.setText("kept");
    QGuiApplication::clipboard()->setText("pasted");
    EXPECT_FALSE(keyEquivalent(field, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_FALSE(keyEquivalent(field, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(keyEquivalent(field, Qt::Key_V, Qt::NoModifier));
    EXPECT_FALSE(keyEquivalent(field, Qt::Key_B, Qt::ControlModifier));
    EXPECT_EQ(field.text(), "kept");
    // Only key presses count.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(field.performKeyEquivalent(&release));
    // The keypad flag is not an extra modifier.
    field.selectAll();
    EXPECT_TRUE(keyEquivalent(field, Qt::Key_V, Qt::ControlModifier | Qt::KeypadModifier));
    EXPECT_EQ(field.text(), "pasted");
}

} // namespace
