// Page breaks of the grid printer, as plain arithmetic.
#include "ui/PrintBands.h"

#include <gtest/gtest.h>

namespace mv {
namespace {

using Starts = std::vector<int>;

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-0.5L), 0);
    EXPECT_EQ(RoundHalfEven(-1.5L), -2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.4999L), 2);
    EXPECT_EQ(RoundHalfEven(2.5001L), 3);
    EXPECT_EQ(RoundHalfEven(-2.5001L), -3);
    EXPECT_EQ(RoundHalfEven(236.2204L), 236);
}

TEST(BandStarts, RowsThatFitShareOneBand) {
    EXPECT_EQ(BandStarts({10, 10, 10, 10}, 1, 10, 100), Starts({1}));
    // Nothing after the title: one band that holds only the title.
    EXPECT_EQ(BandStarts({10}, 1, 10, 100), Starts({1}));
    EXPECT_EQ(BandStarts({}, 0, 0, 100), Starts({0}));
}

TEST(BandStarts, ARowEndingExactlyAtThePrintableHeightStays) {
    // 10 (title) + 30 + 30 = 70: the second row ends exactly at the bottom.
    EXPECT_EQ(BandStarts({10, 30, 30, 30, 30, 30}, 1, 10, 70), Starts({1, 3, 5}));
}

TEST(BandStarts, ARowPassingThePrintableHeightOpensTheNextBand) {
    EXPECT_EQ(BandStarts({10, 30, 30, 30, 30}, 1, 10, 69), Starts({1, 2, 3, 4}));
    EXPECT_EQ(BandStarts({10, 30, 30, 30, 30}, 1, 10, 71), Starts({1, 3}));
}

TEST(BandStarts, ARowTallerThanThePageGetsABandOfItsOwn) {
    EXPECT_EQ(BandStarts({10, 20, 100, 20, 20}, 1, 10, 50), Starts({1, 2, 3}));
    // Also as the first row of the table, and twice in a row.
    EXPECT_EQ(BandStarts({10, 100, 100, 20}, 1, 10, 50), Starts({1, 2, 3}));
}

TEST(BandStarts, ATitleTallerThanThePagePutsEveryRowOnAPageOfItsOwn) {
    EXPECT_EQ(BandStarts({80, 10, 10, 10}, 1, 80, 50), Starts({1, 2, 3}));
}

TEST(BandStarts, NoBandIsOpenedAfterAnExactFitOnTheLastRow) {
    // The last row ends exactly at the bottom: no page of the title alone follows.
    EXPECT_EQ(BandStarts({10, 30, 30}, 1, 10, 70), Starts({1}));
    EXPECT_EQ(BandStarts({10, 30, 30, 30, 30}, 1, 10, 70), Starts({1, 3}));
}

TEST(BandStarts, WithoutARepeatedTitleTheBandsStartAtZero) {
    EXPECT_EQ(BandStarts({10, 30, 30, 30}, 0, 0, 70), Starts({0, 3}));
}

} // namespace
} // namespace mv
