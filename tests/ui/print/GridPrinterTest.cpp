// The grid printer on a printer with fixed resolutions: page layout, page order, the repeated
// titles, frames and fonts, and failures.
#include "ImagePrinter.h"

#include "platform/codepage.h"
#include "ui/CheckBoxGrid.h"
#include "ui/GridPrinter.h"
#include "ui/JapaneseFonts.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace mv::test {
namespace {

using Cell = std::pair<int, int>; // column, row

// What one page received through OnDrawCell.
struct Page {
    int colPage = 0;
    int rowPage = 0;
    std::vector<Cell> cells;
    std::vector<QRect> rects;
    int tableBottom = -1;

    std::set<int> Rows() const {
        std::set<int> rows;
        for (const auto& [c, r] : cells)
            rows.insert(r);
        return rows;
    }
    std::set<int> Cols() const {
        std::set<int> cols;
        for (const auto& [c, r] : cells)
            cols.insert(c);
        return cols;
    }
};

class GridPrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid = std::make_unique<TMOStringGrid>();
        grid->setFont(MsPGothicFont(12));
        // The layout numbers below are worked out for a 96 dpi screen.
        ASSERT_EQ(grid->logicalDpiX(), 96);
        ASSERT_EQ(grid->logicalDpiY(), 96);
        printer.setTargetGrid(grid.get());
    }

    // Favorites-like table: one title row, `rows` rows below it, five columns.
    void FillGrid(int rows, int colWidth = 100) {
        grid->setColCount(5);
        grid->setFixedCols(0);
        grid->setRowCount(rows + 1);
        grid->setFixedRows(1);
        for (int c = 0; c < 5; ++c) {
            grid->setColWidths(c, colWidth);
            grid->setCells(c, 0, "T" + std::to_string(c));
            for (int r = 1; r <= rows; ++r)
                grid->setCells(c, r, std::to_string(c) + ":" + std::to_string(r));
        }
    }

    // Prints through OnDrawCell and gives what each page got.
    std::vector<Page> Record(ImagePrinter& device) {
        std::vector<Page> pages;
        printer.setPrinter(&device);
        printer.OnBeginPage = [&pages](TAyaSGridPrinter& sender) {
            pages.push_back({sender.CurrentColPage(), sender.CurrentRowPage(), {}, {}, -1});
        };
        printer.OnDrawCell = [&pages](int col, int row, const QRect& rect) {
            pages.back().cells.emplace_back(col, row);
            pages.back().rects.push_back(rect);
        };
        printer.OnEndPage = [&pages](TAyaSGridPrinter& sender) {
            pages.back().tableBottom = sender.TableBottom();
        };
        EXPECT_TRUE(device.BeginDoc());
        printed = printer.Print();
        device.EndDoc();
        return pages;
    }

    std::unique_ptr<TMOStringGrid> grid;
    TAyaSGridPrinter printer;
    bool printed = false;
};

// A4 at 600 dpi: 4961 x 7016 printer pixels; the screen's 96 dpi make a scale of 6.25.
TEST_F(GridPrinterTest, LayoutConvertsMarginsAndSizesToPrinterPixels) {
    FillGrid(10);
    ImagePrinter device(600, 4961, 7016, false);
    printer.setPrinter(&device);
    printer.CalcLayout();
    EXPECT_EQ(printer.PrinterDpiX(), 600);
    EXPECT_EQ(printer.ScreenDpiY(), 96);
    EXPECT_DOUBLE_EQ(double(printer.ScaleX()), 6.25);
    EXPECT_EQ(printer.MarginLeftPx(), 236);  // 10 mm = 236.22
    EXPECT_EQ(printer.MarginRightPx(), 118); // 5 mm = 118.11
    EXPECT_EQ(printer.MarginTopPx(), 236);
    EXPECT_EQ(printer.MarginBottomPx(), 236);
    EXPECT_EQ(printer.PrintableWidth(), 4961 - 236 - 118);
    EXPECT_EQ(printer.PrintableHeight(), 7016 - 236 - 236);
    EXPECT_EQ(printer.PageCount(), 1);
}

TEST_F(GridPrinterTest, AGridWithOnlyItsTitleRowPrintsOnePage) {
    FillGrid(0);
    ASSERT_EQ(grid->RowCount(), 1);
    ImagePrinter device(600, 4961, 7016, false);
    const auto pages = Record(device);
    EXPECT_TRUE(printed);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(device.pages.size(), 1u);
    EXPECT_EQ(pages[0].Rows(), std::set<int>({0}));
    EXPECT_EQ(pages[0].cells.size(), 5u);
}

TEST_F(GridPrinterTest, EveryPageStartsWithTheTitleRow) {
    // 20-pixel rows are 125 printer pixels: 51 rows fit under the title on 6544.
    FillGrid(120);
    ImagePrinter device(600, 4961, 7016, false);
    const auto pages = Record(device);
    EXPECT_TRUE(printed);
    ASSERT_EQ(pages.size(), 3u);
    ASSERT_EQ(device.pages.size(), 3u);
    const int firstRows[] = {1, 52, 103};
    const int lastRows[] = {51, 102, 120};
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p);
        ASSERT_GE(pages[p].cells.size(), 5u);
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(pages[p].cells[size_t(c)], Cell(c, 0)) << "the title comes first";
        }
        EXPECT_EQ(pages[p].cells[5], Cell(0, firstRows[p]));
        EXPECT_EQ(*pages[p].Rows().rbegin(), lastRows[p]);
        EXPECT_EQ(pages[p].rects[0].top(), 236);
        EXPECT_EQ(pages[p].rects[5].top(), 236 + 125) << "the first row follows the title";
    }
    EXPECT_EQ(pages[0].tableBottom, 236 + 52 * 125);
    EXPECT_EQ(pages[2].tableBottom, 236 + 19 * 125);
}

TEST_F(GridPrinterTest, WithoutDrawFixedAreaOnlyTheFirstBandShowsTheTitle) {
    FillGrid(120);
    printer.setDrawFixedArea(false);
    ImagePrinter device(600, 4961, 7016, false);
    const auto pages = Record(device);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].cells.front(), Cell(0, 0));
    EXPECT_EQ(*pages[0].Rows().rbegin(), 51) << "the title row takes a row's place";
    EXPECT_EQ(pages[1].cells.front(), Cell(0, 52));
    EXPECT_EQ(pages[2].cells.front(), Cell(0, 104));
    EXPECT_FALSE(pages[1].Rows().count(0));
    EXPECT_FALSE(pages[2].Rows().count(0));
}

// At 96 dpi on a 96 dpi screen sizes stay as they are: margins 38 (10 mm) and 19 (5 mm).
class GridPrinterAtScreenSize : public GridPrinterTest {
protected:
    ImagePrinter device{96, 1000, 1000}; // printable 943 x 924
};

TEST_F(GridPrinterAtScreenSize, ARowEndingExactlyAtThePrintableHeightStaysOnThePage) {
    FillGrid(12);
    grid->setRowHeights(0, 24);
    for (int r = 1; r <= 12; ++r)
        grid->setRowHeights(r, 100); // title 24 + 9 rows = 924
    const auto pages = Record(device);
    ASSERT_EQ(printer.PrintableHeight(), 924);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(*pages[0].Rows().rbegin(), 9);
    EXPECT_EQ(pages[0].tableBottom, 38 + 924);
    EXPECT_EQ(pages[1].Rows(), std::set<int>({0, 10, 11, 12}));
}

TEST_F(GridPrinterAtScreenSize, ARowOnePixelTooTallStartsTheNextPage) {
    FillGrid(12);
    grid->setRowHeights(0, 24);
    for (int r = 1; r <= 12; ++r)
        grid->setRowHeights(r, 100);
    grid->setRowHeights(9, 101);
    const auto pages = Record(device);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(*pages[0].Rows().rbegin(), 8);
    EXPECT_EQ(pages[1].cells[5], Cell(0, 9));
}

TEST_F(GridPrinterAtScreenSize, ARowTallerThanThePageGetsAPageOfItsOwn) {
    FillGrid(5);
    grid->setRowHeights(3, 2000);
    const auto pages = Record(device);
    EXPECT_TRUE(printed);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].Rows(), std::set<int>({0, 1, 2}));
    EXPECT_EQ(pages[1].Rows(), std::set<int>({0, 3}));
    EXPECT_EQ(pages[2].Rows(), std::set<int>({0, 4, 5}));
    // The tall row runs off the page rather than being cut to fit.
    EXPECT_EQ(pages[1].rects[5].height(), 2000);
}

TEST_F(GridPrinterAtScreenSize, AWideGridPrintsColumnBandsOneAfterTheOther) {
    // Column 0 is a title column of 100; the others are 300 wide: 100 + 300 + 300 fit 943.
    FillGrid(20);
    grid->setFixedCols(1);
    for (int c = 1; c < 5; ++c)
        grid->setColWidths(c, 300);
    for (int r = 1; r <= 20; ++r)
        grid->setRowHeights(r, 100); // 9 rows under the 20-pixel title
    const auto pages = Record(device);
    ASSERT_EQ(printer.ColPageCount(), 2);
    ASSERT_EQ(printer.RowPageCount(), 3);
    EXPECT_EQ(printer.PageCount(), 6);
    ASSERT_EQ(pages.size(), 6u);
    const std::pair<int, int> order[] = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}};
    for (size_t p = 0; p < 6; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(std::make_pair(pages[p].colPage, pages[p].rowPage), order[p]);
        EXPECT_EQ(pages[p].Cols(), p < 3 ? std::set<int>({0, 1, 2}) : std::set<int>({0, 3, 4}));
        EXPECT_EQ(pages[p].cells.front(), Cell(0, 0)) << "title column and title row";
        EXPECT_EQ(pages[p].rects.front().left(), 38);
    }
    // The second band's first column follows the title column directly.
    EXPECT_EQ(pages[3].cells[1], Cell(3, 0));
    EXPECT_EQ(pages[3].rects[1].left(), 38 + 100);
}

TEST_F(GridPrinterAtScreenSize, FrameWidthsIgnoreValuesBelowOne) {
    EXPECT_EQ(printer.NormalGridWidth(), 1);
    EXPECT_EQ(printer.FixedGridWidth(), 4);
    printer.setNormalGridWidth(3);
    printer.setNormalGridWidth(0);
    printer.setNormalGridWidth(-2);
    EXPECT_EQ(printer.NormalGridWidth(), 3);
    printer.setFixedGridWidth(0);
    EXPECT_EQ(printer.FixedGridWidth(), 4);
}

TEST_F(GridPrinterAtScreenSize, AFailingPageIsLostButTheOthersPrint) {
    FillGrid(20);
    for (int r = 1; r <= 20; ++r)
        grid->setRowHeights(r, 100);
    printer.setPrinter(&device);
    std::vector<int> ended;
    printer.OnDrawCell = [&](int, int row, const QRect&) {
        if (row == 12) throw std::runtime_error("cell failed");
    };
    printer.OnEndPage = [&](TAyaSGridPrinter& sender) { ended.push_back(sender.CurrentRowPage()); };
    ASSERT_TRUE(device.BeginDoc());
    EXPECT_FALSE(printer.Print()) << "a lost page is reported";
    device.EndDoc();
    EXPECT_EQ(device.pages.size(), 3u);
    EXPECT_EQ(ended, std::vector<int>({1, 3}));
}

TEST_F(GridPrinterAtScreenSize, AFailingNewPageEndsTheRun) {
    FillGrid(20);
    for (int r = 1; r <= 20; ++r)
        grid->setRowHeights(r, 100);
    device.failNewPage = true;
    const auto pages = Record(device);
    EXPECT_FALSE(printed);
    EXPECT_EQ(pages.size(), 1u);
}

// Drawing itself, at twice the screen's resolution.
class GridPrinterDrawing : public GridPrinterTest {
protected:
    ImagePrinter device{192, 1600, 1200};

    const QImage& PrintFirstPage() {
        printer.setPrinter(&device);
        EXPECT_TRUE(device.BeginDoc());
        printed = printer.Print();
        device.EndDoc();
        return device.pages.at(0);
    }
    // Dark pixels in row `y` from x0 to x1.
    static int DarkRun(const QImage& image, int y, int x0, int x1) {
        int dark = 0;
        for (int x = x0; x <= x1; ++x)
            if (qGray(image.pixel(x, y)) < 128) ++dark;
        return dark;
    }
    static bool AnyInk(const QImage& image, const QRect& area, const QColor& near = Qt::black) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (qAbs(c.red() - near.red()) + qAbs(c.green() - near.green()) +
                        qAbs(c.blue() - near.blue()) <
                    150)
                    return true;
            }
        return false;
    }
};

TEST_F(GridPrinterDrawing, TitleCellsGetTheWideFrameAndOthersTheThinOne) {
    FillGrid(3);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r <= 3; ++r)
            grid->setCells(c, r, "");
    const QImage& page = PrintFirstPage();
    EXPECT_TRUE(printed);
    // Margins at 192 dpi: left 76, top 76; rows of 40, columns of 200.
    const int left = 76 + 200; // the frame between columns 0 and 1
    EXPECT_EQ(DarkRun(page, 76 + 20, left - 6, left + 6), 4) << "title row";
    EXPECT_EQ(DarkRun(page, 76 + 40 + 20, left - 6, left + 6), 1) << "normal row";
}

TEST_F(GridPrinterDrawing, WithoutDrawFixedAreaTheTitleRowKeepsTheWideFrame) {
    FillGrid(3);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r <= 3; ++r)
            grid->setCells(c, r, "");
    printer.setDrawFixedArea(false);
    const QImage& page = PrintFirstPage();
    EXPECT_EQ(DarkRun(page, 76 + 20, 270, 282), 4);
    EXPECT_EQ(DarkRun(page, 76 + 60, 270, 282), 1);
}

TEST_F(GridPrinterDrawing, AColumnOfWidthZeroPrintsOnlyItsFrameLine) {
    FillGrid(3);
    grid->setColWidths(0, 0);
    for (int r = 0; r <= 3; ++r) {
        grid->setCells(0, r, "WWWWWWWW");
        grid->setCells(1, r, "");
    }
    const QImage& page = PrintFirstPage();
    // Column 1 starts where column 0 would have: its area holds no ink but the frames.
    const QRect inside(76 + 6, 76 + 40 + 4, 200 - 12, 40 - 8);
    EXPECT_FALSE(AnyInk(page, inside));
    EXPECT_GE(DarkRun(page, 76 + 60, 70, 82), 1) << "the shared frame line is there";
}

TEST_F(GridPrinterDrawing, TextUsesTheGridsFontAtThePrintersResolution) {
    FillGrid(1);
    grid->setCells(1, 1, "日本語");
    // Column fonts are the screen's business; the printout uses the grid's own font.
    grid->GridColumns()[1].setFont(MsPGothicFont(30));
    QFont seen;
    printer.OnBeginPage = [&](TAyaSGridPrinter&) { seen = device.Canvas()->font(); };
    const QImage& page = PrintFirstPage();
    EXPECT_DOUBLE_EQ(seen.pointSizeF(), 9.0) << "12 screen pixels at 96 dpi";
    // Ink of the text: 12 screen pixels are about 24 here, well inside the 40-pixel row.
    int top = -1;
    int bottom = -1;
    for (int y = 76 + 40 + 2; y < 76 + 80 - 2; ++y) {
        if (DarkRun(page, y, 76 + 200 + 5, 76 + 400 - 5) > 0) {
            if (top < 0) top = y;
            bottom = y;
        }
    }
    ASSERT_GE(top, 0) << "the text was printed";
    EXPECT_GE(top, 76 + 40 + 4) << "below the text offset";
    EXPECT_GE(bottom - top + 1, 16);
    EXPECT_LE(bottom - top + 1, 30);
}

TEST_F(GridPrinterDrawing, APageHandlerCannotChangeTheTableCanvas) {
    FillGrid(2);
    printer.OnBeginPage = [&](TAyaSGridPrinter&) {
        QPainter* canvas = device.Canvas();
        canvas->setPen(QPen(Qt::red, 12));
        canvas->setBrush(Qt::green);
        canvas->setFont(MsPGothicFont(80));
    };
    const QImage& page = PrintFirstPage();
    EXPECT_FALSE(AnyInk(page, QRect(0, 0, page.width(), page.height()), Qt::green));
    EXPECT_FALSE(AnyInk(page, QRect(0, 0, page.width(), page.height()), Qt::red));
    EXPECT_EQ(DarkRun(page, 76 + 60, 270, 282), 1);
}

} // namespace
} // namespace mv::test
