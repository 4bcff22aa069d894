#include "desktop/printing/PrintDialog.h"

#include "desktop/ProgramModule.h"

QDialog* openPrintDialog(QWidget* parent, PrintAccepted accepted, QString* error) {
    // Kept once it worked; a failed load is tried again by the next Print
    // (a package installed meanwhile).
    static printmodule::OpenFunction open = nullptr;
    if (!open) {
        const programmodule::Entry entry =
            programmodule::open(programmodule::folders(), printmodule::fileName,
                                printmodule::openSymbol, QStringLiteral("printing"));
        open = reinterpret_cast<printmodule::OpenFunction>(entry.address);
        if (!open) {
            if (error)
                *error = entry.error;
            return nullptr;
        }
    }
    return open(parent, std::move(accepted));
}
