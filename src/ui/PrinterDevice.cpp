#include "ui/PrinterDevice.h"

namespace mv {

TQtPrinter::TQtPrinter() : printer_(QPrinter::HighResolution) {}

bool TQtPrinter::BeginDoc() {
    if (painter_.isActive()) return false;
    return painter_.begin(&printer_);
}

bool TQtPrinter::EndDoc() {
    if (!painter_.isActive()) return false;
    const bool ended = painter_.end();
    return ended && printer_.printerState() != QPrinter::Error &&
           printer_.printerState() != QPrinter::Aborted;
}

int TQtPrinter::DpiX() const {
    return printer_.logicalDpiX();
}

int TQtPrinter::DpiY() const {
    return printer_.logicalDpiY();
}

int TQtPrinter::PageWidth() const {
    return printer_.width();
}

int TQtPrinter::PageHeight() const {
    return printer_.height();
}

QPainter* TQtPrinter::Canvas() {
    return painter_.isActive() ? &painter_ : nullptr;
}

bool TQtPrinter::NewPage() {
    return painter_.isActive() && printer_.newPage() && printer_.printerState() != QPrinter::Error;
}

} // namespace mv
