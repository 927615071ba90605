#pragma once
// The printer the grid printer draws on. TQtPrinter is a real printer (or a PDF file) through
// Qt PrintSupport; tests put pages of their own behind the same interface.

#include <QPainter>
#include <QPrinter>

namespace mv {

class TPrinterDevice {
public:
    virtual ~TPrinterDevice() = default;

    // Resolution in dots per inch.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // The printable area of a page in device pixels; drawing positions start at its top-left.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    // The painter of the open document; null outside BeginDoc .. EndDoc.
    virtual QPainter* Canvas() = 0;
    // Ends the current page and starts the next; false when the device failed.
    virtual bool NewPage() = 0;
};

class TQtPrinter final : public TPrinterDevice {
public:
    TQtPrinter();

    QPrinter& Device() { return printer_; }

    // False when the document cannot be opened (no printer, an unwritable PDF file).
    bool BeginDoc();
    // False when the document could not be completed.
    bool EndDoc();
    bool Printing() const { return painter_.isActive(); }

    int DpiX() const override;
    int DpiY() const override;
    int PageWidth() const override;
    int PageHeight() const override;
    QPainter* Canvas() override;
    bool NewPage() override;

private:
    QPrinter printer_;
    QPainter painter_;
};

} // namespace mv
