#include "ui/GridPrinter.h"

#include "platform/codepage.h"
#include "ui/PrintBands.h"
#include "ui/PrinterDevice.h"
#include "ui/StringGrid.h"

#include <QPainter>
#include <QPen>

#include <exception>

namespace mv {

namespace {

int Round(long double value) {
    return int(RoundHalfEven(value));
}

int MillimetresToPixels(int mm, int dpi) {
    return Round(mm / 25.4L * dpi);
}

} // namespace

TAyaSGridPrinter::TAyaSGridPrinter(QObject* parent) : QObject(parent) {
    CalcLayout();
}

void TAyaSGridPrinter::setNormalGridWidth(int px) {
    if (px > 0) normalGridWidth_ = px;
}

void TAyaSGridPrinter::setFixedGridWidth(int px) {
    if (px > 0) fixedGridWidth_ = px;
}

void TAyaSGridPrinter::setDrawFixedArea(bool on) {
    if (on == drawFixedArea_) return;
    drawFixedArea_ = on;
    CalcLayout();
}

void TAyaSGridPrinter::CalcLayout() {
    layoutValid_ = false;
    TStringGrid* grid = targetGrid_;
    if (!grid || !printer_) return;
    printerDpiX_ = printer_->DpiX();
    printerDpiY_ = printer_->DpiY();
    screenDpiX_ = grid->logicalDpiX();
    screenDpiY_ = grid->logicalDpiY();
    if (printerDpiX_ <= 0 || printerDpiY_ <= 0 || screenDpiX_ <= 0 || screenDpiY_ <= 0) return;
    scaleX_ = static_cast<long double>(printerDpiX_) / screenDpiX_;
    scaleY_ = static_cast<long double>(printerDpiY_) / screenDpiY_;
    marginLeftPx_ = MillimetresToPixels(leftMargin_, printerDpiX_);
    marginRightPx_ = MillimetresToPixels(rightMargin_, printerDpiX_);
    marginTopPx_ = MillimetresToPixels(topMargin_, printerDpiY_);
    marginBottomPx_ = MillimetresToPixels(bottomMargin_, printerDpiY_);
    printableWidth_ = printer_->PageWidth() - marginLeftPx_ - marginRightPx_;
    printableHeight_ = printer_->PageHeight() - marginTopPx_ - marginBottomPx_;

    // Sizes are rounded cell by cell, as each cell is placed on paper.
    std::vector<int> heights(size_t(grid->RowCount()));
    for (int r = 0; r < grid->RowCount(); ++r)
        heights[size_t(r)] = Round(grid->RowHeights(r) * scaleY_);
    std::vector<int> widths(size_t(grid->ColCount()));
    for (int c = 0; c < grid->ColCount(); ++c)
        widths[size_t(c)] = Round(grid->ColWidths(c) * scaleX_);

    int fixedHeight = 0;
    int fixedWidth = 0;
    if (drawFixedArea_) {
        for (int r = 0; r < grid->FixedRows(); ++r)
            fixedHeight += heights[size_t(r)];
        for (int c = 0; c < grid->FixedCols(); ++c)
            fixedWidth += widths[size_t(c)];
    }
    rowPageStart_ =
        BandStarts(heights, drawFixedArea_ ? grid->FixedRows() : 0, fixedHeight, printableHeight_);
    colPageStart_ =
        BandStarts(widths, drawFixedArea_ ? grid->FixedCols() : 0, fixedWidth, printableWidth_);
    layoutValid_ = true;
}

bool TAyaSGridPrinter::Print() {
    if (!targetGrid_ || !printer_ || !printer_->Canvas()) return false;
    try {
        CalcLayout();
        if (!layoutValid_) return false;
        bool complete = true;
        bool first = true;
        for (int c = 1; c <= ColPageCount(); ++c) {
            for (int r = 1; r <= RowPageCount(); ++r) {
                if (!first && !printer_->NewPage()) return false;
                first = false;
                if (!PrintPage(c, r)) complete = false;
            }
        }
        return complete;
    } catch (...) {
        // Not silent: a job that fails anywhere ends as failed, and the caller says so.
        return false;
    }
}

void TAyaSGridPrinter::SetUpCanvas() {
    QPainter* canvas = printer_->Canvas();
    canvas->setClipping(false);
    canvas->setPen(QPen(Qt::black, 1));
    canvas->setBrush(Qt::NoBrush);
    canvas->setBackgroundMode(Qt::TransparentMode);
    // The grid's font at the same physical size: a pixel size means screen pixels.
    QFont font = targetGrid_->font();
    if (font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / screenDpiY_);
    canvas->setFont(font);
}

bool TAyaSGridPrinter::PrintPage(int colPage, int rowPage) {
    TStringGrid* grid = targetGrid_;
    if (!grid || !printer_ || !printer_->Canvas() || !layoutValid_) return false;
    if (colPage < 1 || colPage > ColPageCount() || rowPage < 1 || rowPage > RowPageCount())
        return false;
    try {
        mojiLeftPx_ = Round(mojiLeft_ * scaleX_);
        mojiTopPx_ = Round(mojiTop_ * scaleY_);
        currentColPage_ = colPage;
        currentRowPage_ = rowPage;
        // A page handler cannot leave the canvas changed for the table.
        SetUpCanvas();
        if (OnBeginPage) OnBeginPage(*this);
        SetUpCanvas();

        const int lastRow =
            rowPage < RowPageCount() ? RowPageStart(rowPage + 1) - 1 : grid->RowCount() - 1;
        const int lastCol =
            colPage < ColPageCount() ? ColPageStart(colPage + 1) - 1 : grid->ColCount() - 1;
        const int firstCol = ColPageStart(colPage);
        long double y = marginTopPx_;
        if (drawFixedArea_) {
            for (int f = 0; f < grid->FixedRows(); ++f) {
                long double x = marginLeftPx_;
                const long double h = grid->RowHeights(f) * scaleY_;
                for (int a = 0; a < grid->FixedCols(); ++a)
                    PrintCell(a, f, true, x, y, h);
                for (int a = firstCol; a <= lastCol; ++a)
                    PrintCell(a, f, true, x, y, h);
                y += h;
            }
        }
        for (int j = RowPageStart(rowPage); j <= lastRow; ++j) {
            long double x = marginLeftPx_;
            const long double h = grid->RowHeights(j) * scaleY_;
            if (drawFixedArea_) {
                for (int a = 0; a < grid->FixedCols(); ++a)
                    PrintCell(a, j, true, x, y, h);
            }
            for (int a = firstCol; a <= lastCol; ++a)
                PrintCell(a, j, a < grid->FixedCols() || j < grid->FixedRows(), x, y, h);
            y += h;
        }
        tableBottom_ = Round(y);
        if (OnEndPage) OnEndPage(*this);
        return true;
    } catch (...) {
        // Not silent: the page counts as failed, and so does the job.
        return false;
    }
}

void TAyaSGridPrinter::PrintCell(int col, int row, bool fixed, long double& x, long double y,
                                 long double h) {
    const long double w = targetGrid_->ColWidths(col) * scaleX_;
    const int left = Round(x);
    const int top = Round(y);
    const QRect rect(left, top, Round(w), Round(y + h) - top);
    if (OnDrawCell) {
        OnDrawCell(col, row, rect);
        x += w;
        return;
    }
    QPainter& canvas = *printer_->Canvas();
    canvas.save();
    canvas.setClipRect(rect);
    canvas.setPen(targetGrid_->palette().color(QPalette::Text));
    // The text starts at the offset and may run to the cell's edge, where the clip ends it.
    canvas.drawText(
        QRect(left + mojiLeftPx_, top + mojiTopPx_, rect.width() + 1, rect.height() + 1),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
        toQt(targetGrid_->Cells(col, row)));
    canvas.restore();

    // One pixel past the cell, so neighbouring frames share their lines.
    const int right = Round(x + w + 1);
    const int bottom = Round(y + h + 1);
    QPen pen = canvas.pen();
    const qreal oldWidth = pen.widthF();
    pen.setWidth(fixed ? fixedGridWidth_ : normalGridWidth_);
    canvas.setPen(pen);
    canvas.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    pen.setWidthF(oldWidth);
    canvas.setPen(pen);
    x += w;
}

} // namespace mv
