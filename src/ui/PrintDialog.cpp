#include "ui/PrintDialog.h"

#include <QPrintDialog>

#include <algorithm>

namespace mv {

namespace {

TPrintDialog::Answer& TestAnswer() {
    static TPrintDialog::Answer answer;
    return answer;
}

} // namespace

TPrintDialog::TPrintDialog(QObject* parent) : QObject(parent) {}

TPrintDialog::~TPrintDialog() = default;

void TPrintDialog::setAnswerForTesting(Answer answer) {
    TestAnswer() = std::move(answer);
}

TQtPrinter& TPrintDialog::Printer() {
    if (!printer_) printer_ = std::make_unique<TQtPrinter>();
    return *printer_;
}

bool TPrintDialog::Execute(QWidget* parent) {
    QPrinter& printer = Printer().Device();
    if (TestAnswer()) return TestAnswer()(printer, *this);

    QPrintDialog dialog(&printer, parent);
    // The range is taken by the program rather than by the print server, so it can print
    // whole tables whatever was entered.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    const int minPage = std::max(1, MinPage);
    // Without a known last page any number may be entered.
    const int maxPage = MaxPage > 0 ? std::max(minPage, MaxPage) : 9999;
    dialog.setMinMax(minPage, maxPage);
    const int from = std::clamp(FromPage, minPage, maxPage);
    dialog.setFromTo(from, std::clamp(std::max(ToPage, from), from, maxPage));
    dialog.setPrintRange(PrintRange == prPageNums    ? QAbstractPrintDialog::PageRange
                         : PrintRange == prSelection ? QAbstractPrintDialog::Selection
                                                     : QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) return false;
    switch (printer.printRange()) {
    case QPrinter::PageRange:
        PrintRange = prPageNums;
        FromPage = printer.fromPage();
        ToPage = printer.toPage();
        break;
    case QPrinter::Selection:
        PrintRange = prSelection;
        break;
    default:
        PrintRange = prAllPages;
        break;
    }
    return true;
}

} // namespace mv
