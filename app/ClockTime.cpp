// Local clock readings and UTC moments by the zone's rules: the day of a change worked out as the
// system does, and a reading tried with either offset, kept where the rules agree.
#include "app/ClockTime.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace app {
namespace {

constexpr std::int64_t kMillisecondsPerMinute = 60'000;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr std::chrono::sys_days k1601{std::chrono::year{1601} / std::chrono::January / 1};

std::int64_t DaysFrom1601(const std::chrono::year_month_day& date) {
    return (std::chrono::sys_days{date} - k1601).count();
}

std::int64_t DaysFrom1601(int year, int month, int day) {
    return DaysFrom1601(std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                        std::chrono::day{static_cast<unsigned>(day)});
}

LocalTime DateOf(std::int64_t days, std::int32_t millisecondOfDay) {
    const std::chrono::year_month_day date{k1601 + std::chrono::days{days}};
    LocalTime local;
    local.year = static_cast<int>(date.year());
    local.month = static_cast<int>(static_cast<unsigned>(date.month()));
    local.day = static_cast<int>(static_cast<unsigned>(date.day()));
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
    if (change.year != 0) {
        return DaysFrom1601(year, change.month, change.day) * kMillisecondsPerDay + change.millisecondOfDay;
    }
    // The rule's n-th weekday of the month, the 5th meaning the last.
    using namespace std::chrono;
    const year_month month = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(change.month)};
    const weekday dayOfWeek{static_cast<unsigned>(change.dayOfWeek)};
    const sys_days date = change.day >= 5 ? sys_days{month / dayOfWeek[last]}
                                          : sys_days{month / dayOfWeek[static_cast<unsigned>(std::max(change.day, 1))]};
    return DaysFrom1601(year_month_day{date}) * kMillisecondsPerDay + change.millisecondOfDay;
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

ZoneRuleCache::ZoneRuleCache(ZoneRules source) : source_(std::move(source)) {}

ZoneRule ZoneRuleCache::ForYear(int year) {
    if (const auto known = years_.find(year); known != years_.end()) return known->second;
    // A clock read for years on end in one run keeps the years around now, not every year it passed.
    constexpr std::size_t kYearsKept = 4;
    if (years_.size() >= kYearsKept) years_.clear();
    const ZoneRule rule = source_(year);
    years_.emplace(year, rule);
    return rule;
}

void ZoneRuleCache::Forget() { years_.clear(); }

ZoneRules ZoneRuleCache::Rules() {
    return [this](int year) { return ForYear(year); };
}

LocalTime DaysLater(const LocalTime& local, int days) {
    return DateOf(DaysFrom1601(local.year, local.month, local.day) + days, local.millisecondOfDay);
}

}  // namespace app
