#pragma once

#include <QString>

#include <functional>

class QDialog;
class QPagedPaintDevice;
class QWidget;

// The system's print dialog. QtPrintSupport lives in a module,
// fennic-printing.so, opened with the first Print (desktop/ProgramModule.h).

// Called once the person chose to print, with the printer to paint on.
using PrintAccepted = std::function<void(QPagedPaintDevice& printer)>;

// Opens the dialog over parent (window-modal); it deletes itself when
// closed. Null, with the reason in error, when there is no module.
QDialog* openPrintDialog(QWidget* parent, PrintAccepted accepted, QString* error);

namespace printmodule {

// What the module exports, under openSymbol: the same contract as
// openPrintDialog, which never gets there without the module.
using OpenFunction = QDialog* (*)(QWidget* parent, PrintAccepted accepted);
inline constexpr char openSymbol[] = "fennicPrintDialogOpen";
inline constexpr char fileName[] = "fennic-printing.so";

} // namespace printmodule
