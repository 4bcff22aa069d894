#include "desktop/printing/PrintDialog.h"

#include "desktop/ProgramModule.h"

QDialog* openPrintDialog(QWidget* parent, PrintAccepted accepted, QString* error) {
    const programmodule::Entry module = programmodule::entry(
        printmodule::fileName, printmodule::openSymbol, QStringLiteral("printing"));
    if (!module.address) {
        if (error)
            *error = module.error;
        return nullptr;
    }
    return reinterpret_cast<printmodule::OpenFunction>(module.address)(parent, std::move(accepted));
}
