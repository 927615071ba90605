// The drop-down calendar of calendar columns: opening, the month buttons and their repeat,
// the status line, choosing a day and the date written back in either format.
#include "EditorFixture.h"

#include "support/WaitFor.h"
#include "ui/DropDownCalendar.h"
#include "ui/JapaneseEra.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>

namespace mv::test {
namespace {

class CalendarEditor : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Column().setButtonStyle(cbsCalendar);
        for (int r = 1; r < grid->RowCount(); ++r)
            grid->setCells(kCol, r, "");
    }
    TMOPopupPanel* Popup() const { return Editor()->CalendarPopup(); }
    TMOInplaceCalender* Month() const { return Popup()->Calendar(); }
    void Open(int row) {
        StartEditing(row);
        ClickButton();
        ASSERT_TRUE(Editor()->CalendarVisible());
        ASSERT_NE(Popup(), nullptr);
        ASSERT_TRUE(Popup()->isVisible());
    }
    // Cell of the month grid that shows `day` of the shown month.
    QPoint DayCell(int day) const {
        for (int row = 1; row < 7; ++row)
            for (int col = 0; col < 7; ++col)
                if (Month()->DayAt(col, row).isValid() && Month()->DayAt(col, row).day() == day)
                    return Month()->CellRect(col, row).center();
        ADD_FAILURE() << "no cell for day " << day;
        return {};
    }
    void PressButton(TMOSpeedButton::Glyph glyph) {
        QTest::mousePress(Popup()->Button(glyph), Qt::LeftButton, {}, QPoint(7, 7));
    }
    void ReleaseButton(TMOSpeedButton::Glyph glyph) {
        QTest::mouseRelease(Popup()->Button(glyph), Qt::LeftButton, {}, QPoint(7, 7));
    }
    static QString MonthTitle(const QDate& date) {
        return QStringLiteral("%1年%2月").arg(date.year()).arg(date.month());
    }
};

TEST_F(CalendarEditor, AnEmptyCellOpensOnTodayAndClosingAtOnceWritesToday) {
    const QDate today = QDate::currentDate();
    Open(3);
    EXPECT_EQ(Month()->Date(), today);
    EXPECT_EQ(Popup()->MonthLabel()->text(), MonthTitle(today));
    EXPECT_EQ(Popup()->StatusPanel()->Text(), QStringLiteral("今日: ") + JapaneseEraDate(today));
    EXPECT_TRUE(Popup()->StatusPanel()->Text().startsWith(QStringLiteral("今日: 令和")));
    EXPECT_EQ(Popup()->geometry().topLeft(), EditorOnScreen().bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(Month()->size(), QSize(160, 100));
    EXPECT_TRUE(Editor()->hasFocus());

    ClickButton();
    EXPECT_FALSE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 3), fromQt(today.toString(QStringLiteral("yy/MM/dd"))));
}

TEST_F(CalendarEditor, TheMonthGridStartsOnMondayAndCirclesToday) {
    Open(3);
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    // Day 1 sits in row 1 under its weekday, Monday being column 0.
    EXPECT_EQ(Month()->DayAt(first.dayOfWeek() - 1, 1), first);
    EXPECT_FALSE(Month()->DayAt(0, 0).isValid()) << "row 0 holds the day names";
    const QImage image = Month()->grab().toImage();
    const auto redIn = [&image](const QRect& cell) {
        int red = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++red;
            }
        return red;
    };
    int todayCol = -1;
    int todayRow = -1;
    for (int row = 1; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (Month()->DayAt(col, row) == today) {
                todayCol = col;
                todayRow = row;
            }
    ASSERT_GE(todayRow, 1);
    EXPECT_GT(redIn(Month()->CellRect(todayCol, todayRow)), 10) << "today is circled";
    // A weekday that is not today (Sundays are red anyway).
    const int otherCol = todayCol == 1 ? 2 : 1;
    for (int row = 1; row < 7; ++row)
        if (Month()->DayAt(otherCol, row).isValid() && row != todayRow) {
            EXPECT_EQ(redIn(Month()->CellRect(otherCol, row)), 0) << row;
        }
}

TEST_F(CalendarEditor, TheColumnsColoursPaintTheCalendar) {
    TMOMonthCalColors colors;
    colors.setColor(TMOMonthCalColors::MonthBackColor, QColor(220, 255, 220));
    colors.setColor(TMOMonthCalColors::TitleBackColor, QColor(40, 40, 120));
    colors.setColor(TMOMonthCalColors::MonthFixedColor, QColor(255, 240, 200));
    Column().setCalColors(colors);
    Open(3);
    const QImage month = Month()->grab().toImage();
    // A corner of an empty cell of the last row, and of the day-name row.
    EXPECT_EQ(month.pixelColor(Month()->CellRect(6, 6).topLeft() + QPoint(1, 1)),
              QColor(220, 255, 220));
    EXPECT_EQ(month.pixelColor(Month()->CellRect(3, 0).topLeft() + QPoint(1, 1)),
              QColor(255, 240, 200));
    const QImage panel = Popup()->grab().toImage();
    EXPECT_EQ(panel.pixelColor(Popup()->width() / 2, 2), QColor(40, 40, 120));
}

TEST_F(CalendarEditor, MonthButtonsMoveTheShownMonth) {
    grid->setCells(kCol, 4, "24/01/31");
    Open(4);
    ASSERT_EQ(Month()->Date(), QDate(2024, 1, 31));
    PressButton(TMOSpeedButton::NextYear);
    ReleaseButton(TMOSpeedButton::NextYear);
    EXPECT_EQ(Month()->Date(), QDate(2025, 1, 31));
    EXPECT_EQ(Popup()->MonthLabel()->text(), QStringLiteral("2025年1月"));
    PressButton(TMOSpeedButton::NextMonth);
    ReleaseButton(TMOSpeedButton::NextMonth);
    EXPECT_EQ(Month()->Date(), QDate(2025, 2, 28)) << "the day is kept where the month has it";
    PressButton(TMOSpeedButton::PrevYear);
    ReleaseButton(TMOSpeedButton::PrevYear);
    PressButton(TMOSpeedButton::PrevMonth);
    ReleaseButton(TMOSpeedButton::PrevMonth);
    EXPECT_EQ(Month()->Date(), QDate(2024, 1, 28));
    EXPECT_EQ(Popup()->MonthLabel()->text(), QStringLiteral("2024年1月"));
    EXPECT_TRUE(Editor()->CalendarVisible()) << "the buttons do not close the calendar";
    EXPECT_EQ(Popup()->Button(TMOSpeedButton::NextYear)->toolTip(), QStringLiteral("翌年"));
}

TEST_F(CalendarEditor, AHeldButtonRepeatsAfterHalfASecondThenEveryTenth) {
    Open(3);
    // Each move of the shown month, timed.
    QElapsedTimer clock;
    std::vector<qint64> moves;
    QObject::connect(Month(), &TMOInplaceCalender::OnChange,
                     [&] { moves.push_back(clock.elapsed()); });
    const QDate start = Month()->Date();
    clock.start();
    PressButton(TMOSpeedButton::NextMonth);
    ASSERT_EQ(moves.size(), 1u) << "acts on the press";
    QTest::qWait(350);
    EXPECT_EQ(moves.size(), 1u) << "no repeat before 500 ms";
    ASSERT_TRUE(mvtest::waitFor([&] { return moves.size() >= 5; }, 5000));
    ReleaseButton(TMOSpeedButton::NextMonth);
    EXPECT_GE(moves[1] - moves[0], 495);
    for (size_t i = 2; i < moves.size(); ++i) {
        EXPECT_GE(moves[i] - moves[i - 1], 95) << i;
    }
    const size_t atRelease = moves.size();
    QTest::qWait(300);
    EXPECT_EQ(moves.size(), atRelease) << "the release stops it";
    const QDate expected = start.addMonths(int(atRelease));
    EXPECT_EQ(Month()->Date().year() * 12 + Month()->Date().month(),
              expected.year() * 12 + expected.month());
    EXPECT_EQ(Popup()->MonthLabel()->text(), MonthTitle(Month()->Date()));
}

TEST_F(CalendarEditor, ADayClickClosesAndWritesTheLongFormat) {
    Column().setDateFormat(dtLong);
    grid->setCells(kCol, 5, "2024年02月29日");
    Open(5);
    ASSERT_EQ(Month()->Date(), QDate(2024, 2, 29));
    QTest::mouseClick(Month(), Qt::LeftButton, {}, DayCell(15));
    EXPECT_FALSE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 5), "2024年02月15日");
    EXPECT_EQ(Editor()->text(), QStringLiteral("2024年02月15日"));
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(CalendarEditor, ADayClickClosesAndWritesTheShortFormat) {
    grid->setCells(kCol, 5, "24/02/29");
    Open(5);
    QTest::mouseClick(Month(), Qt::LeftButton, {}, DayCell(1));
    EXPECT_EQ(grid->Cells(kCol, 5), "24/02/01");
}

TEST_F(CalendarEditor, AClickWithAModifierOrOnAnEmptyCellOnlyMovesTheDay) {
    grid->setCells(kCol, 5, "24/02/29");
    Open(5);
    QTest::mouseClick(Month(), Qt::LeftButton, Qt::ShiftModifier, DayCell(10));
    EXPECT_TRUE(Editor()->CalendarVisible());
    EXPECT_EQ(Month()->Date(), QDate(2024, 2, 10));
    // February 2024 starts on a Thursday: Monday the first row is empty.
    ASSERT_FALSE(Month()->DayAt(0, 1).isValid());
    QTest::mouseClick(Month(), Qt::LeftButton, {}, Month()->CellRect(0, 1).center());
    QTest::mouseClick(Month(), Qt::LeftButton, {}, Month()->CellRect(0, 0).center());
    EXPECT_TRUE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 5), "24/02/29");
}

TEST_F(CalendarEditor, DoubleClickOnTheStatusLineGoesToToday) {
    grid->setCells(kCol, 5, "99/07/01");
    Open(5);
    ASSERT_EQ(Month()->Date(), QDate(1999, 7, 1));
    QTest::mouseDClick(Popup()->StatusPanel(), Qt::LeftButton, {}, QPoint(40, 7));
    EXPECT_EQ(Month()->Date(), QDate::currentDate());
    EXPECT_EQ(Popup()->MonthLabel()->text(), MonthTitle(QDate::currentDate()));
    EXPECT_TRUE(Editor()->CalendarVisible());
}

TEST_F(CalendarEditor, LosingTheFocusOrAClickElsewhereClosesIt) {
    grid->setCells(kCol, 5, "24/02/29");
    Open(5);
    QTest::mouseClick(Month(), Qt::LeftButton, Qt::ShiftModifier, DayCell(3));
    other->setFocus();
    EXPECT_FALSE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 5), "24/02/03");

    grid->setFocus();
    grid->setCells(kCol, 6, "24/02/29");
    Open(6);
    QTest::mouseClick(Month(), Qt::LeftButton, Qt::ShiftModifier, DayCell(4));
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_FALSE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 6), "24/02/04");
}

TEST_F(CalendarEditor, EscapeClosesWithoutWriting) {
    grid->setCells(kCol, 5, "24/02/29");
    Open(5);
    QTest::mouseClick(Month(), Qt::LeftButton, Qt::ShiftModifier, DayCell(3));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(Editor()->CalendarVisible());
    EXPECT_EQ(grid->Cells(kCol, 5), "24/02/29");
    EXPECT_TRUE(grid->EditorMode());
}

TEST_F(CalendarEditor, TextThatIsNoDateOpensOnToday) {
    Column().setButtonStyle(cbsSimple);
    grid->setCells(kCol, 5, "いつか");
    Column().setButtonStyle(cbsCalendar);
    Open(5);
    EXPECT_EQ(Month()->Date(), QDate::currentDate());
}

TEST_F(CalendarEditor, ClearingTheTypedDateEmptiesTheCell) {
    grid->setCells(kCol, 5, "24/02/29");
    StartEditing(5);
    Editor()->selectAll();
    QTest::keyClick(Editor(), Qt::Key_Delete);
    EXPECT_EQ(grid->Cells(kCol, 5), "") << "the mask's separators alone are no date";
}

TEST_F(CalendarEditor, NearTheBottomOfTheScreenTheCalendarOpensAbove) {
    const QRect screen = window_->screen()->geometry();
    window_->move(window_->x(), screen.bottom() - window_->frameGeometry().height() + 20);
    Open(8);
    ASSERT_GT(EditorOnScreen().bottom() + Popup()->height(), screen.bottom());
    EXPECT_EQ(Popup()->geometry().bottom() + 1, EditorOnScreen().top());
}

} // namespace
} // namespace mv::test
