#pragma once
// Dates in the Japanese era calendar, through ICU (Qt has no Japanese calendar).

#include <QDate>
#include <QString>

namespace mv {

// Era name and year, month and day: 2026-12-07 gives "令和8/12/7", 2019-04-30 "平成31/4/30".
// Empty for an invalid date.
QString JapaneseEraDate(const QDate& date);

} // namespace mv
