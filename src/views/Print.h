// Printing with Qt Print Support: the print dialog on the application's
// printer, the printer's drawing surface, the print scale dialog, and the
// print requests of the desktop shell.
#pragma once

#include "platform/UiPort.h"

#include <QImage>
#include <QString>

#include <memory>

class CDialogModel;
class CImageEx;
class QPrinter;
class QWidget;

// The application's current printer with its settings, kept for the run.
QPrinter& AppPrinter();

// The print dialog on the application's printer; on OK the choice holds the
// printer's physical page, the offsets of its printable area and a drawing
// surface that prints on it.
bool ChooseQtPrinter(PrinterChoice& choice, QWidget* owner);

// The page geometry and drawing surface of a printer set up already.
PrinterChoice PrinterChoiceFor(std::shared_ptr<QPrinter> printer);

// The whole image drawn by its own rule over white paper, at its size.
QImage RenderOnPaper(const CImageEx& image);

// The Qt presenter of CPrintScaleDlg.
bool PresentPrintScaleDlg(CDialogModel& model, QWidget* owner);

// tesvan --print FILE and --print-to=PRINTER FILE: the document printed on
// one page of the default or the named printer (a name ending in ".pdf"
// writes that PDF file), as the shell's print requests do: no print dialog
// and no scale dialog; the sheet at its real size when it fits, else fitted.
// Messages of a failed open go through the port in use; the others to the
// standard error. Returns the exit status: 0 printed, 1 not.
int PrintFromShell(const QString& file, const QString& printer, bool named);
