#pragma once
// Date texts of the grid's calendar columns: "yy/MM/dd" (dtShort, with the locale's date
// separator) or "yyyy年MM月dd日" (dtLong), always year first.

#include "ui/GridColumns.h"

#include <QDate>
#include <QString>

#include <optional>

namespace mv {

// The locale's date separator ("/" for Japanese, "." for German).
QString GridDateSeparator();
// Input mask of the calendar editor for `format` (year and month digits optional, day
// digits required, "_" for blanks).
QString GridDateInputMask(TMODateFormat format);
QString FormatGridDate(const QDate& date, TMODateFormat format);
// Reads a date in either format; a two-digit year is taken within fifty years of today.
std::optional<QDate> ParseGridDate(const QString& text, const QDate& today = QDate::currentDate());
// The calendar editor's text when nothing has been typed: only separators, no digit.
bool IsEmptyGridDate(const QString& text);

} // namespace mv
