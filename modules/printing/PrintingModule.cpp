// fennic-printing.so: the print dialog through QtPrintSupport, in a module
// opened with the first Print (see desktop/printing/PrintDialog.h).
#include "desktop/printing/PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

#include <memory>

extern "C" Q_DECL_EXPORT QDialog* fennicPrintDialogOpen(QWidget* parent, PrintAccepted accepted) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog,
                     [printer, accepted = std::move(accepted)] { accepted(*printer); });
    dialog->open();
    return dialog;
}
