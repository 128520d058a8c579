// Remaining-time arithmetic and the countdown's texts; no window needed.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

#include "target_file.h"

// The countdown's target in memory: 8-bit hour, minute, day, month (low
// 8 bits of the record's fields) and the whole 16-bit year.
struct CountdownTarget {
    uint8_t hour;
    uint8_t minute;
    uint8_t day;
    uint8_t month;
    int16_t year;
};

CountdownTarget CountdownTargetFromRecord(const TargetRecord& record);

// Whole minutes between two moments (absolute value); a conversion that
// fails counts as 0 ticks. 64 bits: the years 1601-30827 span more minutes
// than 32 bits hold.
int64_t MinutesBetween(const SYSTEMTIME& a, const SYSTEMTIME& b);

struct RemainingTime {
    int32_t days;
    int32_t hours;
    int32_t minutes;
    int32_t seconds;
    bool reached;  // the completion sequence is due
};

// Splits the time from `nowUtc` (one GetSystemTimeAsFileTime reading) to
// the target's instant: the earliest instant at which the wall clock in
// `zone` shows the target minute or a later one. `zone` is as
// GetDynamicTimeZoneInformation gives it; NULL: the system's zone, by the
// rules of the target's year where it has them; with its daylight-saving
// switch off, standard time all year. So a target in an hour the clock
// repeats is reached at its first occurrence, one in an hour it skips at
// the change, and the days, hours and minutes are real time (a day across
// a change has 23 or 25 hours). The target is reached when its instant has
// come, lies in the current minute or is 0d 0h 0m 1s away. Where the
// target has no instant (no calendar moment, or a conversion fails) the
// wall clock counts, and a target on an earlier date or earlier today is
// reached.
RemainingTime SplitRemainingTime(const FILETIME& nowUtc, const CountdownTarget& target,
                                 const DYNAMIC_TIME_ZONE_INFORMATION* zone);

// "Nd Nh Nm Ns " with a trailing blank.
std::wstring RemainingTimeLabel(const RemainingTime& remaining);

// The label at completion: "0d 0h 0m 0s ".
std::wstring CompletionLabel(const RemainingTime& remaining);

// "Lo que falta para el dia dd/mm/yyyy a las hh:mm".
std::wstring CountdownCaption(const CountdownTarget& target);

// "My Hotkeyss" followed by the time of day in seconds, number-to-text rule.
std::string HotkeyAtomName(const SYSTEMTIME& now);
