#pragma once
// TPrintDialog: asks for a printer (or a PDF file) and its settings before printing. It holds
// the printer the choice applies to. Tests answer it through a hook instead of a person.

#include "ui/PrinterDevice.h"

#include <QObject>

#include <functional>
#include <memory>

class QWidget;

namespace mv {

enum TPrintRange { prAllPages, prSelection, prPageNums };

class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QObject* parent = nullptr);
    ~TPrintDialog() override;

    // The page range offered in the dialog.
    int FromPage = 0;
    int ToPage = 0;
    int MinPage = 0;
    int MaxPage = 0;
    TPrintRange PrintRange = prAllPages;

    // The printer the dialog sets up; made on first use, since looking for printers can take
    // a moment.
    TQtPrinter& Printer();

    // Shows the dialog over `parent`; false when it was cancelled. The range chosen lands in
    // FromPage, ToPage and PrintRange.
    bool Execute(QWidget* parent = nullptr);

    // Answers Execute instead of the real dialog: gets the printer to set up and the dialog
    // as configured, returns whether to print. An empty hook restores the real dialog.
    using Answer = std::function<bool(QPrinter& printer, TPrintDialog& dialog)>;
    static void setAnswerForTesting(Answer answer);

private:
    std::unique_ptr<TQtPrinter> printer_;
};

} // namespace mv
