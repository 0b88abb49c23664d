// The local clock across the time zone's changes to and from daylight saving time, without the
// platform: the zone's rules for a year as the system gives them, and local clock readings to UTC and
// back.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace app {

// A moment: milliseconds since 1 January 1601, UTC (the system's file time, in milliseconds).
using UtcMilliseconds = std::int64_t;

// A reading of the local clock.
struct LocalTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    std::int32_t millisecondOfDay = 0;
};

// When the clock changes: on the day'th dayOfWeek (0 is Sunday, day 5 the last) of the month, or, with
// a year, on that day of the month; at millisecondOfDay as the clock reads before the change. Month 0:
// no change.
struct ZoneChange {
    int year = 0;
    int month = 0;
    int dayOfWeek = 0;
    int day = 0;
    std::int32_t millisecondOfDay = 0;
};

// The zone's rules for one year, as the system's TIME_ZONE_INFORMATION holds them: UTC is the local
// time plus bias and standardBias minutes in standard time, plus bias and daylightBias in daylight
// saving time.
struct ZoneRule {
    int bias = 0;
    int standardBias = 0;
    int daylightBias = 0;
    ZoneChange standardDate;  // daylight saving time ends
    ZoneChange daylightDate;  // daylight saving time begins
};

// The rules for a year of the local clock.
using ZoneRules = std::function<ZoneRule(int year)>;

// The zone's rules read once for each year of the local clock, and again only once told that the zone
// may have changed: the system's look-up reads the registry, and the tray tip and the clock times
// want it for every displayed second of every running timer.
class ZoneRuleCache {
public:
    // source: where the rules come from (the system's, SystemZoneRule).
    explicit ZoneRuleCache(ZoneRules source);
    ZoneRule ForYear(int year);
    // Reads every year anew at its next use: call on WM_TIMECHANGE and WM_SETTINGCHANGE, which the
    // system sends when the zone or its rules change.
    void Forget();
    // The rules through this cache, for ToLocalTime, ToUtc and ResolveTimeOfDay; they use the cache,
    // so they must not outlive it.
    ZoneRules Rules();

private:
    ZoneRules source_;
    std::map<int, ZoneRule> years_;
};

LocalTime ToLocalTime(const ZoneRules& zone, UtcMilliseconds moment);
// The moments the local clock reads `local`: none inside the gap the clock skips going forward, two in
// the hour it repeats going back (the earlier first), one at any other time.
std::vector<UtcMilliseconds> ToUtc(const ZoneRules& zone, const LocalTime& local);
// The same clock reading `days` days later.
LocalTime DaysLater(const LocalTime& local, int days);

}  // namespace app
