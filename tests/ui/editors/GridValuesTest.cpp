// Texts of integer and date cells, and the Japanese era date of the calendar.
#include "ui/GridDates.h"
#include "ui/GridInteger.h"
#include "ui/JapaneseEra.h"

#include <gtest/gtest.h>

#include <limits>

namespace mv {
namespace {

TEST(GridInteger, TypedNumbersAreStoredInCanonicalDecimal) {
    EXPECT_EQ(NormalizeGridInteger("0012"), "12");
    EXPECT_EQ(NormalizeGridInteger("+5"), "5");
    EXPECT_EQ(NormalizeGridInteger("-007"), "-7");
    EXPECT_EQ(NormalizeGridInteger("-0"), "0");
    EXPECT_EQ(NormalizeGridInteger("-"), "-0") << "a minus sign on its way to a number";
    EXPECT_EQ(NormalizeGridInteger(""), "");
    EXPECT_EQ(NormalizeGridInteger("2147483647"), "2147483647");
    EXPECT_EQ(NormalizeGridInteger("-2147483648"), "-2147483648");
}

TEST(GridInteger, TextsThatAreNoIntegerAreRefused) {
    for (const char* text : {"12a", "a", "1 2", " 12", "+", "--1", "1.5", "$10", "0x10",
                             "2147483648", "-2147483649", "99999999999999999999"})
        EXPECT_FALSE(NormalizeGridInteger(text)) << text;
}

TEST(GridInteger, SpinStepsWithinTheLimits) {
    const TMOSpinButtonOption free{1, 0, 0};
    EXPECT_EQ(SpinGridInteger("", free, true), "1") << "empty counts as 0";
    EXPECT_EQ(SpinGridInteger("", free, false), "-1");
    EXPECT_EQ(SpinGridInteger("-5", free, false), "-6");
    EXPECT_EQ(SpinGridInteger("abc", free, true), std::nullopt);

    const TMOSpinButtonOption limited{1, 10, 1};
    EXPECT_EQ(SpinGridInteger("9", limited, true), "10");
    EXPECT_EQ(SpinGridInteger("10", limited, true), "10");
    EXPECT_EQ(SpinGridInteger("2", limited, false), "1");
    EXPECT_EQ(SpinGridInteger("1", limited, false), "1");
    EXPECT_EQ(SpinGridInteger("50", limited, false), "10") << "out of range comes back in";

    const TMOSpinButtonOption byFive{5, 20, -20};
    EXPECT_EQ(SpinGridInteger("18", byFive, true), "20");
    EXPECT_EQ(SpinGridInteger("0012", byFive, true), "17");

    // Without limits the count stops at the ends of int instead of wrapping round.
    EXPECT_EQ(SpinGridInteger("2147483647", free, true), "2147483647");
    EXPECT_EQ(SpinGridInteger("-2147483648", free, false), "-2147483648");
}

TEST(GridDates, FormatsAreYearFirstInBothLengths) {
    const QDate date(2026, 3, 7);
    EXPECT_EQ(FormatGridDate(date, dtShort), QStringLiteral("26/03/07"));
    EXPECT_EQ(FormatGridDate(date, dtLong), QStringLiteral("2026年03月07日"));
    EXPECT_EQ(GridDateInputMask(dtShort), QStringLiteral("99/99/00;_"));
    EXPECT_EQ(GridDateInputMask(dtLong), QStringLiteral("9999年99月00日;_"));
}

TEST(GridDates, ReadsBothFormatsBack) {
    const QDate today(2026, 6, 1);
    EXPECT_EQ(ParseGridDate(QStringLiteral("26/03/07"), today), QDate(2026, 3, 7));
    EXPECT_EQ(ParseGridDate(QStringLiteral("2026年03月07日"), today), QDate(2026, 3, 7));
    EXPECT_EQ(ParseGridDate(QStringLiteral("1999/12/31"), today), QDate(1999, 12, 31));
    // Two-digit years fall within fifty years of today.
    EXPECT_EQ(ParseGridDate(QStringLiteral("75/01/01"), today), QDate(2075, 1, 1));
    EXPECT_EQ(ParseGridDate(QStringLiteral("77/01/01"), today), QDate(1977, 1, 1));
}

TEST(GridDates, TextThatIsNoDateGivesNothing) {
    for (const char* text :
         {"", "abc", "26/02/30", "26/13/01", "26//", "//", "年月日", "26/1", "26/-1/01"})
        EXPECT_FALSE(ParseGridDate(QString::fromUtf8(text))) << text;
    EXPECT_TRUE(IsEmptyGridDate(QStringLiteral("//")));
    EXPECT_TRUE(IsEmptyGridDate(QStringLiteral("年月日")));
    EXPECT_FALSE(IsEmptyGridDate(QStringLiteral("26//")));
}

TEST(JapaneseEra, DatesCarryTheEraOfTheirDay) {
    EXPECT_EQ(JapaneseEraDate(QDate(2026, 12, 7)), QStringLiteral("令和8/12/7"));
    EXPECT_EQ(JapaneseEraDate(QDate(2019, 5, 1)), QStringLiteral("令和1/5/1"));
    EXPECT_EQ(JapaneseEraDate(QDate(2019, 4, 30)), QStringLiteral("平成31/4/30"));
    EXPECT_EQ(JapaneseEraDate(QDate(1989, 1, 7)), QStringLiteral("昭和64/1/7"));
    EXPECT_EQ(JapaneseEraDate(QDate(1989, 1, 8)), QStringLiteral("平成1/1/8"));
    EXPECT_EQ(JapaneseEraDate(QDate()), QString());
}

} // namespace
} // namespace mv
