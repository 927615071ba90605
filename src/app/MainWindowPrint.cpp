#include "MainWindow.h"

#include "platform/dialogs.h"
#include "ui/CheckBoxGrid.h"
#include "ui/GridPrinter.h"
#include "ui/PrintDialog.h"

namespace mv {

namespace {

// Gives a grid column a width for a while and puts the old one back however the scope ends.
class ColumnWidthOverride {
public:
    ColumnWidthOverride(TStringGrid& grid, int col, int width)
        : grid_(grid), col_(col), old_(grid.ColWidths(col)) {
        grid_.setColWidths(col_, width);
    }
    ~ColumnWidthOverride() { grid_.setColWidths(col_, old_); }
    ColumnWidthOverride(const ColumnWidthOverride&) = delete;
    ColumnWidthOverride& operator=(const ColumnWidthOverride&) = delete;

private:
    TStringGrid& grid_;
    int col_;
    int old_;
};

} // namespace

void TForm1::TB_PrintClick() {
    if (!PrintDialog1) {
        PrintDialog1 = new TPrintDialog(this);
        PrintDialog1->setObjectName(QStringLiteral("PrintDialog1"));
        PrintDialog1->FromPage = 1;
        PrintDialog1->PrintRange = prPageNums;
    }
    if (!AyaSGridPrinter1) {
        AyaSGridPrinter1 = new TAyaSGridPrinter(this);
        AyaSGridPrinter1->setObjectName(QStringLiteral("AyaSGridPrinter1"));
    }
    // The range chosen in the dialog is not used: the whole list is printed.
    if (!PrintDialog1->Execute(this)) return;

    TQtPrinter& printer = PrintDialog1->Printer();
    AyaSGridPrinter1->setTargetGrid(StringGrid1);
    AyaSGridPrinter1->setPrinter(&printer);
    bool printed = false;
    {
        // The check marks take no room on paper.
        ColumnWidthOverride hideCheckMarks(*StringGrid1, 0, 0);
        if (printer.BeginDoc()) {
            printed = AyaSGridPrinter1->Print();
            printed = printer.EndDoc() && printed;
        }
    }
    // A run that lost pages or never reached the printer is not reported as printed.
    if (printed)
        Dialogs::current().message(MsgType::Information, QStringLiteral("出力しました"), mbOK);
    else
        Dialogs::current().message(MsgType::Error, QStringLiteral("印刷できませんでした。"), mbOK);
}

} // namespace mv
