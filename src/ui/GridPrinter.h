#pragma once
// TAyaSGridPrinter: prints a string grid as a ruled table, spread over as many pages as its
// rows and columns need. Cell texts, column widths and row heights are taken as they are on
// screen and converted from the grid's resolution to the printer's; the title rows and
// columns are repeated on every page. Pages go down the rows of the first column band, then
// down the rows of the next one.

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <vector>

namespace mv {

class TStringGrid;
class TPrinterDevice;

class TAyaSGridPrinter : public QObject {
    Q_OBJECT
public:
    explicit TAyaSGridPrinter(QObject* parent = nullptr);

    TStringGrid* TargetGrid() const { return targetGrid_; }
    void setTargetGrid(TStringGrid* grid) { targetGrid_ = grid; }
    // The printer to draw on; its document is opened and closed by the caller.
    TPrinterDevice* Printer() const { return printer_; }
    void setPrinter(TPrinterDevice* printer) { printer_ = printer; }

    // Margins in millimetres.
    int LeftMargin() const { return leftMargin_; }
    void setLeftMargin(int mm) { leftMargin_ = mm; }
    int TopMargin() const { return topMargin_; }
    void setTopMargin(int mm) { topMargin_ = mm; }
    int RightMargin() const { return rightMargin_; }
    void setRightMargin(int mm) { rightMargin_ = mm; }
    int BottomMargin() const { return bottomMargin_; }
    void setBottomMargin(int mm) { bottomMargin_ = mm; }
    // Offset of a cell's text from the cell's top-left corner, in screen pixels.
    int MojiLeft() const { return mojiLeft_; }
    void setMojiLeft(int px) { mojiLeft_ = px; }
    int MojiTop() const { return mojiTop_; }
    void setMojiTop(int px) { mojiTop_ = px; }
    // Frame widths in printer pixels; values below 1 are ignored.
    int NormalGridWidth() const { return normalGridWidth_; }
    void setNormalGridWidth(int px);
    int FixedGridWidth() const { return fixedGridWidth_; }
    void setFixedGridWidth(int px);
    // Repeat the fixed rows and columns on every page.
    bool DrawFixedArea() const { return drawFixedArea_; }
    void setDrawFixedArea(bool on);
    // Kept for the caller; printing does not use them.
    int ScreenRatioX() const { return screenRatioX_; }
    void setScreenRatioX(int ratio) { screenRatioX_ = ratio; }
    int ScreenRatioY() const { return screenRatioY_; }
    void setScreenRatioY(int ratio) { screenRatioY_ = ratio; }

    // Events. The page events come at the start and the end of every page; OnDrawCell, when
    // set, draws each cell instead of the printer (rectangle in printer pixels).
    std::function<void(TAyaSGridPrinter& sender)> OnBeginPage;
    std::function<void(TAyaSGridPrinter& sender)> OnEndPage;
    std::function<void(int col, int row, const QRect& rect)> OnDrawCell;

    // Computes the page layout for the printer and the grid.
    void CalcLayout();
    // Prints every page on the printer's open document. A failure ends the run (between
    // pages) or its page (inside one) without a message; gives false when anything was lost,
    // so the caller can say so.
    bool Print();
    // Prints the page of column band `colPage` and row band `rowPage` (1-based); false when it
    // failed part way.
    bool PrintPage(int colPage, int rowPage);

    // Layout, as CalcLayout left it.
    int PrinterDpiX() const { return printerDpiX_; }
    int PrinterDpiY() const { return printerDpiY_; }
    int ScreenDpiX() const { return screenDpiX_; }
    int ScreenDpiY() const { return screenDpiY_; }
    long double ScaleX() const { return scaleX_; }
    long double ScaleY() const { return scaleY_; }
    int MarginLeftPx() const { return marginLeftPx_; }
    int MarginTopPx() const { return marginTopPx_; }
    int MarginRightPx() const { return marginRightPx_; }
    int MarginBottomPx() const { return marginBottomPx_; }
    int PrintableWidth() const { return printableWidth_; }
    int PrintableHeight() const { return printableHeight_; }
    int ColPageCount() const { return int(colPageStart_.size()); }
    int RowPageCount() const { return int(rowPageStart_.size()); }
    int PageCount() const { return ColPageCount() * RowPageCount(); }
    // First column / row of band `page` (1-based).
    int ColPageStart(int page) const { return colPageStart_.at(size_t(page - 1)); }
    int RowPageStart(int page) const { return rowPageStart_.at(size_t(page - 1)); }

    // Page state, meaningful inside the page events.
    int CurrentColPage() const { return currentColPage_; }
    int CurrentRowPage() const { return currentRowPage_; }
    // Printer position just below the last row of the page, set before OnEndPage.
    int TableBottom() const { return tableBottom_; }

private:
    void SetUpCanvas();
    // Prints cell (col, row) at X, Y with height H and moves X on.
    void PrintCell(int col, int row, bool fixed, long double& x, long double y, long double h);

    QPointer<TStringGrid> targetGrid_;
    TPrinterDevice* printer_ = nullptr;
    int leftMargin_ = 10;
    int topMargin_ = 10;
    int rightMargin_ = 5;
    int bottomMargin_ = 10;
    int mojiLeft_ = 2;
    int mojiTop_ = 2;
    int normalGridWidth_ = 1;
    int fixedGridWidth_ = 4;
    bool drawFixedArea_ = true;
    int screenRatioX_ = 1000;
    int screenRatioY_ = 1000;

    int printerDpiX_ = 0;
    int printerDpiY_ = 0;
    int screenDpiX_ = 0;
    int screenDpiY_ = 0;
    long double scaleX_ = 0;
    long double scaleY_ = 0;
    int marginLeftPx_ = 0;
    int marginTopPx_ = 0;
    int marginRightPx_ = 0;
    int marginBottomPx_ = 0;
    int printableWidth_ = 0;
    int printableHeight_ = 0;
    std::vector<int> colPageStart_{0};
    std::vector<int> rowPageStart_{0};
    bool layoutValid_ = false;
    int mojiLeftPx_ = 0;
    int mojiTopPx_ = 0;

    int currentColPage_ = 0;
    int currentRowPage_ = 0;
    int tableBottom_ = 0;
};

} // namespace mv
