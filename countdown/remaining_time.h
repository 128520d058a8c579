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

// Splits the time from `now` (one GetLocalTime reading) to second 0 of the
// target minute. Whether the target is reached is judged on the wall clock:
// a target on an earlier date, earlier today, or in the current minute is
// reached (0d 0h 0m 1s); so is 0d 0h 0m 1s itself. The days, hours and
// minutes are the real time between the two moments as instants in `zone`
// (so a day across a daylight-saving change has 23 or 25 hours), or the
// wall-clock distance where a moment cannot be converted.
RemainingTime SplitRemainingTime(const SYSTEMTIME& now, const CountdownTarget& target,
                                 const TIME_ZONE_INFORMATION* zone);

// "Nd Nh Nm Ns " with a trailing blank.
std::wstring RemainingTimeLabel(const RemainingTime& remaining);

// The label at completion: "0d 0h 0m 0s ".
std::wstring CompletionLabel(const RemainingTime& remaining);

// "Lo que falta para el dia dd/mm/yyyy a las hh:mm".
std::wstring CountdownCaption(const CountdownTarget& target);

// "My Hotkeyss" followed by the time of day in seconds, number-to-text rule.
std::string HotkeyAtomName(const SYSTEMTIME& now);
