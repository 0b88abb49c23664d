// Local clock readings and UTC moments by the zone's rules: the day of a change worked out as the
// system does, and a reading tried with either offset, kept where the rules agree.
#include "app/ClockTime.h"

#include <algorithm>

namespace app {
namespace {

constexpr std::int64_t kMillisecondsPerMinute = 60'000;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// 1 January 1601 from 1 March of year 0 of the proleptic Gregorian calendar.
constexpr std::int64_t kDaysTo1601 = 584'694;

std::int64_t DaysFrom1601(int year, int month, int day) {
    // Years counted from March, so that the leap day ends the year.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDaysTo1601;
}

LocalTime DateOf(std::int64_t days, std::int32_t millisecondOfDay) {
    const std::int64_t fromMarch = days + kDaysTo1601;
    const std::int64_t era = fromMarch / 146'097;
    const std::int64_t dayOfEra = fromMarch - era * 146'097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    LocalTime local;
    local.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    local.year = static_cast<int>(yearOfEra + era * 400 + (local.month <= 2 ? 1 : 0));
    local.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    local.millisecondOfDay = millisecondOfDay;
    return local;
}

std::int64_t LocalMilliseconds(const LocalTime& local) {
    return DaysFrom1601(local.year, local.month, local.day) * kMillisecondsPerDay + local.millisecondOfDay;
}

LocalTime LocalTimeOf(std::int64_t milliseconds) {
    return DateOf(milliseconds / kMillisecondsPerDay, static_cast<std::int32_t>(milliseconds % kMillisecondsPerDay));
}

// The change in a year, on the local clock as it reads before the change.
std::int64_t ChangeMilliseconds(const ZoneChange& change, int year) {
    int day = change.day;
    if (change.year == 0) {
        const std::int64_t first = DaysFrom1601(year, change.month, 1);
        const int lastDay = static_cast<int>(
            DaysFrom1601(change.month == 12 ? year + 1 : year, change.month == 12 ? 1 : change.month + 1, 1) - first);
        // 1 January 1601 was a Monday.
        const int firstDayOfWeek = static_cast<int>((first + 1) % 7);
        day = 1 + (change.dayOfWeek - firstDayOfWeek + 7) % 7 + 7 * (change.day - 1);
        while (day > lastDay) day -= 7;
    }
    return DaysFrom1601(year, change.month, day) * kMillisecondsPerDay + change.millisecondOfDay;
}

// UTC minus the local clock at a moment, in minutes.
int OffsetAt(const ZoneRules& zone, UtcMilliseconds moment) {
    // The rules go by the local clock's year: that of the moment in standard time.
    const int utcYear = LocalTimeOf(moment).year;
    ZoneRule rule = zone(utcYear);
    const int year = LocalTimeOf(moment - (rule.bias + rule.standardBias) * kMillisecondsPerMinute).year;
    if (year != utcYear) rule = zone(year);
    const int standard = rule.bias + rule.standardBias;
    if (rule.standardDate.month == 0 || rule.daylightDate.month == 0) return standard;
    const int daylight = rule.bias + rule.daylightBias;
    const std::int64_t begins = ChangeMilliseconds(rule.daylightDate, year) + standard * kMillisecondsPerMinute;
    const std::int64_t ends = ChangeMilliseconds(rule.standardDate, year) + daylight * kMillisecondsPerMinute;
    // South of the equator daylight saving time spans the turn of the year.
    const bool daylightNow = begins < ends ? moment >= begins && moment < ends : moment >= begins || moment < ends;
    return daylightNow ? daylight : standard;
}

}  // namespace

LocalTime ToLocalTime(const ZoneRules& zone, UtcMilliseconds moment) {
    return LocalTimeOf(moment - OffsetAt(zone, moment) * kMillisecondsPerMinute);
}

std::vector<UtcMilliseconds> ToUtc(const ZoneRules& zone, const LocalTime& local) {
    const ZoneRule rule = zone(local.year);
    std::vector<UtcMilliseconds> moments;
    for (const int offset : {rule.bias + rule.daylightBias, rule.bias + rule.standardBias}) {
        const UtcMilliseconds moment = LocalMilliseconds(local) + offset * kMillisecondsPerMinute;
        if (OffsetAt(zone, moment) == offset) moments.push_back(moment);
    }
    std::sort(moments.begin(), moments.end());
    moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
    return moments;
}

LocalTime DaysLater(const LocalTime& local, int days) {
    return DateOf(DaysFrom1601(local.year, local.month, local.day) + days, local.millisecondOfDay);
}

}  // namespace app
