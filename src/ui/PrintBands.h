#pragma once
// Page bands of a printed grid: which rows (or columns) share a page. Pure arithmetic, so the
// page breaks can be checked without a printer.

#include <vector>

namespace mv {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
long long RoundHalfEven(long double value);

// Splits the rows (or columns) `first` .. sizes.size()-1 into bands that fit `printable`
// printer pixels beside a repeated title of `fixedExtent` pixels; `sizes` are the printed
// sizes, already rounded. Gives the first index of each band, at least one band.
//
// A row that brings the band to or past the printable size ends it: it stays when it ends
// exactly at the printable size or when it is alone in its band (taller than a page), and
// otherwise opens the next band. No band is opened after the last row, so no page holds only
// the repeated title.
std::vector<int> BandStarts(const std::vector<int>& sizes, int first, int fixedExtent,
                            int printable);

} // namespace mv
