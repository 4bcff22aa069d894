#include "desktop/printing/PrintDialog.h"

#include <QDialog>
#include <QPagedPaintDevice>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(PrintDialog, TheModulesDialogGivesItsPrinterOnlyToAPersonWhoPrints) {
    QWidget window;
    window.show();
    int printed = 0;
    const auto open = [&] {
        QString error;
        QDialog* dialog = openPrintDialog(
            &window,
            [&](QPagedPaintDevice& printer) {
                ++printed;
                EXPECT_TRUE(printer.pageLayout().isValid());
            },
            &error);
        EXPECT_NE(dialog, nullptr) << error.toStdString();
        return QPointer<QDialog>(dialog);
    };

    QPointer<QDialog> cancelled = open();
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(cancelled->isVisible());
    EXPECT_EQ(cancelled->parentWidget(), &window);
    cancelled->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.isNull(); }));
    EXPECT_EQ(printed, 0);

    QPointer<QDialog> accepted = open();
    ASSERT_TRUE(accepted);
    accepted->accept();
    EXPECT_TRUE(QTest::qWaitFor([&] { return accepted.isNull(); }));
    EXPECT_EQ(printed, 1);
}
