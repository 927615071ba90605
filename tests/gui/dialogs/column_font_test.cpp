#include "DialogsFixture.h"

#include "ui/JapaneseFonts.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using mvtest::DialogsTest;

namespace {

class ColumnWidthTest : public DialogsTest {
protected:
    mv::TForm2& window() { return *secondary.Form2; }
    std::array<int, 4> widths() {
        return {grid().ColWidths(1), grid().ColWidths(2), grid().ColWidths(3), grid().ColWidths(4)};
    }
    void SetUp() override {
        DialogsTest::SetUp();
        writeFavorite("A site with a rather long name.url",
                      "http://www.example.com/a/rather/long/path/that/widens/the/column.html");
        std::filesystem::create_directories(favorites + "/sub");
        writeFavorite("sub/s.url", "http://s/");
        openAll();
    }
};

TEST_F(ColumnWidthTest, ShowsTheWidthsAfterWideningAndSetsThemAll) {
    ASSERT_GT(grid().ColWidths(2), 64); // widened by the listing
    const auto before = widths();
    trigger("TB_Col");
    ASSERT_TRUE(window().isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(window().spnSite->value(), before[0]);
    EXPECT_EQ(window().spnURL->value(), before[1]);
    EXPECT_EQ(window().spnDate->value(), before[2]);
    EXPECT_EQ(window().spnComment->value(), before[3]);

    window().spnSite->setValue(80);
    window().spnURL->setValue(90);
    window().spnDate->setValue(100);
    window().spnComment->setValue(110);
    QTest::mouseClick(window().btnSet, Qt::LeftButton);
    EXPECT_EQ(widths(), (std::array<int, 4>{80, 90, 100, 110}));
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(form->isEnabled());

    // A new listing gives the site name and URL their fitted widths again; the others stay.
    select(favorites + "/sub");
    EXPECT_EQ(grid().ColWidths(1), 64);
    EXPECT_EQ(grid().ColWidths(3), 100);
    EXPECT_EQ(grid().ColWidths(4), 110);
}

TEST_F(ColumnWidthTest, CancelAndTheCloseBoxChangeNothing) {
    const auto before = widths();
    for (int way = 0; way < 2; ++way) {
        trigger("TB_Col");
        window().spnSite->setValue(5);
        window().spnComment->setValue(500);
        if (way == 0)
            QTest::mouseClick(window().btnCancel, Qt::LeftButton);
        else
            window().close();
        EXPECT_EQ(widths(), before) << way;
        EXPECT_FALSE(window().isVisible());
        EXPECT_TRUE(form->isEnabled()) << way;
    }
}

TEST_F(ColumnWidthTest, TextThatIsNoNumberHidesTheColumn) {
    trigger("TB_Col");
    window().spnDate->findChild<QLineEdit*>()->setText(QString());
    window().spnComment->setValue(-40); // no limit in the edit; the grid makes it 0
    EXPECT_EQ(mv::TForm2::SpinValue(*window().spnDate), 0);
    window().btnSetClick();
    EXPECT_EQ(grid().ColWidths(3), 0);
    EXPECT_EQ(grid().ColWidths(4), 0);
}

TEST_F(ColumnWidthTest, TheFontReachesTheTextColumnsAndTheTreeOnly) {
    grid().setCells(3, 1, "date");
    grid().setCells(4, 1, "comment");
    QApplication::processEvents();
    auto& columns = grid().GridColumns();
    const QFont gridFont = grid().font();
    const QFont checkFont = columns[0].Font();
    std::array<QFont, 5> titleFonts;
    for (int c = 0; c < 5; ++c)
        titleFonts[size_t(c)] = columns[c].FixCellFont();
    auto shot = [&](int c, int r) {
        return grid().viewport()->grab(grid().CellRect(c, r)).toImage();
    };
    const QImage titleBefore = shot(2, 0), cellBefore = shot(2, 1);

    // Cancelled: nothing changes.
    QFont offered;
    mv::setFontChooserForTesting([&](const QFont& initial) {
        offered = initial;
        return std::optional<QFont>();
    });
    trigger("TB_Font");
    EXPECT_EQ(offered, columns[1].Font());
    EXPECT_EQ(columns[2].Font(), columns[1].Font());

    QFont big = mv::MsPGothicFont(20);
    big.setBold(true);
    mv::setFontChooserForTesting([&](const QFont&) { return std::optional<QFont>(big); });
    trigger("TB_Font");
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(columns[c].Font(), big) << c;
    }
    EXPECT_EQ(tree().font(), big);
    // Not reached: check marks, titles, the grid's own font (printing, width fitting), rows.
    EXPECT_EQ(columns[0].Font(), checkFont);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(columns[c].FixCellFont(), titleFonts[size_t(c)]) << c;
    }
    EXPECT_EQ(grid().font(), gridFont);
    EXPECT_EQ(grid().RowHeights(1), 20);
    QApplication::processEvents();
    EXPECT_EQ(shot(2, 0), titleBefore);
    EXPECT_NE(shot(2, 1), cellBefore);

    // The in-place editor of a text column takes the column's font.
    grid().setFocus();
    grid().setCol(2);
    grid().setRow(1);
    grid().setEditorMode(true);
    QApplication::processEvents();
    ASSERT_NE(grid().InplaceEditor(), nullptr);
    EXPECT_EQ(grid().InplaceEditor()->font().pixelSize(), 20);

    // The next font dialog starts from the chosen font.
    mv::setFontChooserForTesting([&](const QFont& initial) {
        offered = initial;
        return std::optional<QFont>();
    });
    trigger("TB_Font");
    EXPECT_EQ(offered, big);
}

} // namespace
