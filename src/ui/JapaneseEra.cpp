#include "ui/JapaneseEra.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>
#include <string>

namespace mv {

QString JapaneseEraDate(const QDate& date) {
    if (!date.isValid()) return {};
    UErrorCode status = U_ZERO_ERROR;
    // Noon in UTC, formatted in UTC: the day cannot slip through a time zone.
    std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::createTimeZone("UTC"));
    std::unique_ptr<icu::Calendar> gregorian(icu::Calendar::createInstance(
        utc->clone(), icu::Locale("en_US@calendar=gregorian"), status));
    if (U_FAILURE(status)) return {};
    gregorian->clear();
    gregorian->set(date.year(), date.month() - 1, date.day(), 12, 0, 0);
    const UDate instant = gregorian->getTime(status);
    if (U_FAILURE(status)) return {};

    icu::SimpleDateFormat format(icu::UnicodeString(u"Gy/M/d"),
                                 icu::Locale("ja_JP@calendar=japanese"), status);
    if (U_FAILURE(status)) return {};
    format.setTimeZone(*utc);
    icu::UnicodeString text;
    format.format(instant, text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace mv
