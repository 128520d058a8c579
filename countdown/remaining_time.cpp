// Remaining-time arithmetic and the countdown's texts.
#include "remaining_time.h"

#include <algorithm>

#include "number_text.h"
#include "system_function.h"

namespace {

constexpr ULONGLONG TICKS_PER_SECOND = 10000000ULL;  // 100-ns FILETIME units
constexpr ULONGLONG TICKS_PER_MINUTE = 60 * TICKS_PER_SECOND;
constexpr int FIRST_RULES_YEAR = 1601;
constexpr int LAST_RULES_YEAR = 30827;

typedef BOOL (WINAPI *GetTimeZoneInformationForYearProc)(USHORT, PDYNAMIC_TIME_ZONE_INFORMATION,
                                                         LPTIME_ZONE_INFORMATION);

ULONGLONG FileTimeTicks(const FILETIME& fileTime)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    return ticks.QuadPart;
}

FILETIME TicksFileTime(ULONGLONG ticks)
{
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return fileTime;
}

// Minutes since 1601 of a moment; 0 when it is no convertible date.
int64_t MinutesSince1601(const SYSTEMTIME& moment)
{
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&moment, &fileTime))
        return 0;
    return static_cast<int64_t>(FileTimeTicks(fileTime) / TICKS_PER_MINUTE);
}

// The system zone's rules for `year` (GetTimeZoneInformationForYear,
// looked up by name so that the program still starts where kernel32 lacks
// it); false where the system has none.
bool SystemRulesForYear(int year, TIME_ZONE_INFORMATION* rules)
{
    const GetTimeZoneInformationForYearProc forYear = SystemFunction<GetTimeZoneInformationForYearProc>(
        GetModuleHandleW(L"kernel32.dll"), "GetTimeZoneInformationForYear");
    return forYear != NULL && year >= FIRST_RULES_YEAR && year <= LAST_RULES_YEAR
        && forYear(static_cast<USHORT>(year), NULL, rules);
}

// The rules a dynamic zone holds, with its changes.
TIME_ZONE_INFORMATION ZoneInformation(const DYNAMIC_TIME_ZONE_INFORMATION& zone)
{
    TIME_ZONE_INFORMATION rules = {};
    rules.Bias = zone.Bias;
    rules.StandardDate = zone.StandardDate;
    rules.StandardBias = zone.StandardBias;
    rules.DaylightDate = zone.DaylightDate;
    rules.DaylightBias = zone.DaylightBias;
    return rules;
}

// The zone's standard offset alone, with no changes.
TIME_ZONE_INFORMATION StandardTimeOnly(const DYNAMIC_TIME_ZONE_INFORMATION& zone)
{
    TIME_ZONE_INFORMATION rules = {};
    rules.Bias = zone.Bias + zone.StandardBias;
    return rules;
}

// The rules of `zone`; for NULL, of the system zone as
// GetDynamicTimeZoneInformation gives it, by its rules for `year` where the
// system has them. With "Adjust for daylight saving time automatically"
// switched off the clock keeps standard time all year, while the zone's
// rules by name still hold the changes: the standard offset alone then.
// False when the system gives no zone.
bool ZoneRules(const DYNAMIC_TIME_ZONE_INFORMATION* zone, int year, TIME_ZONE_INFORMATION* rules)
{
    DYNAMIC_TIME_ZONE_INFORMATION system;
    if (zone == NULL) {
        if (GetDynamicTimeZoneInformation(&system) == TIME_ZONE_ID_INVALID)
            return false;
        zone = &system;
    }
    if (zone->DynamicDaylightTimeDisabled)
        *rules = StandardTimeOnly(*zone);
    else if (zone != &system || !SystemRulesForYear(year, rules))
        *rules = ZoneInformation(*zone);
    return true;
}

// The wall clock at a UTC instant, counted in ticks as if it were UTC.
// UTC to local is never ambiguous.
bool WallTicksAt(ULONGLONG utcTicks, const TIME_ZONE_INFORMATION& rules, ULONGLONG* wallTicks)
{
    const FILETIME utcTime = TicksFileTime(utcTicks);
    SYSTEMTIME utc, local;
    FILETIME localTime;
    if (!FileTimeToSystemTime(&utcTime, &utc) || !SystemTimeToTzSpecificLocalTime(&rules, &utc, &local)
        || !SystemTimeToFileTime(&local, &localTime))
        return false;
    *wallTicks = FileTimeTicks(localTime);
    return true;
}

// The earliest instant (UTC ticks) at which the wall clock shows second 0
// of the local minute `wallTicks` or a later moment: a repeated minute's
// first occurrence, for a skipped one the instant of the change. Only UTC
// to local conversions decide, so the result does not depend on how the
// system resolves a skipped or repeated local time. False when a
// conversion fails.
bool EarliestInstantShowing(ULONGLONG wallTicks, const TIME_ZONE_INFORMATION& rules, ULONGLONG* utcTicks)
{
    // Every offset from UTC the rules can apply, in minutes (standard,
    // daylight, and the bare bias of a zone without daylight saving). No
    // instant before `early` shows the minute or later; every one from
    // `late` on does.
    const LONG standard = -(rules.Bias + rules.StandardBias);
    const LONG daylight = -(rules.Bias + rules.DaylightBias);
    const LONGLONG largest = std::max({-rules.Bias, standard, daylight});
    const LONGLONG smallest = std::min({-rules.Bias, standard, daylight});
    const LONGLONG minute = static_cast<LONGLONG>(TICKS_PER_MINUTE);
    const ULONGLONG early = static_cast<ULONGLONG>(static_cast<LONGLONG>(wallTicks) - largest * minute);
    const ULONGLONG late = static_cast<ULONGLONG>(static_cast<LONGLONG>(wallTicks) - smallest * minute);

    ULONGLONG shown = 0;
    if (!WallTicksAt(early, rules, &shown))
        return false;
    if (shown >= wallTicks) {
        *utcTicks = early;
        return true;
    }
    if (!WallTicksAt(late, rules, &shown) || shown < wallTicks)
        return false;
    // The clock shows an earlier moment at `before` and the minute or a
    // later one at `after`. The window is one shift long and changes lie
    // months apart, so within it the clock only moves forward: halving
    // finds the first minute that shows the target.
    ULONGLONG before = early, after = late;
    while (after - before > TICKS_PER_MINUTE) {
        const ULONGLONG middle = before + (after - before) / TICKS_PER_MINUTE / 2 * TICKS_PER_MINUTE;
        if (!WallTicksAt(middle, rules, &shown))
            return false;
        if (shown >= wallTicks)
            after = middle;
        else
            before = middle;
    }
    *utcTicks = after;
    return true;
}

// Second 0 of the target minute as a SYSTEMTIME.
SYSTEMTIME TargetMoment(const CountdownTarget& target)
{
    SYSTEMTIME moment = {};
    moment.wYear = static_cast<WORD>(target.year);
    moment.wMonth = target.month;
    moment.wDay = target.day;
    moment.wHour = target.hour;
    moment.wMinute = target.minute;
    return moment;
}

// The target's instant in UTC ticks, by the rules of the target's year;
// false when the target is no calendar moment or cannot be converted.
bool TargetInstant(const CountdownTarget& target, const DYNAMIC_TIME_ZONE_INFORMATION* zone, ULONGLONG* utcTicks)
{
    const SYSTEMTIME moment = TargetMoment(target);
    FILETIME wall;
    TIME_ZONE_INFORMATION rules;
    return SystemTimeToFileTime(&moment, &wall) && ZoneRules(zone, target.year, &rules)
        && EarliestInstantShowing(FileTimeTicks(wall), rules, utcTicks);
}

// The local wall clock at `utcTicks` by the rules of its year; the UTC
// reading itself where it cannot be converted.
SYSTEMTIME LocalWallClock(ULONGLONG utcTicks, const DYNAMIC_TIME_ZONE_INFORMATION* zone)
{
    const FILETIME fileTime = TicksFileTime(utcTicks);
    SYSTEMTIME utc = {};
    SYSTEMTIME local;
    TIME_ZONE_INFORMATION rules;
    FileTimeToSystemTime(&fileTime, &utc);
    if (ZoneRules(zone, utc.wYear, &rules) && SystemTimeToTzSpecificLocalTime(&rules, &utc, &local))
        return local;
    return utc;
}

// Negative, equal, positive as the target's date is before, on, after today.
int CompareTargetDate(const CountdownTarget& target, const SYSTEMTIME& now)
{
    if (target.year != now.wYear)
        return target.year < now.wYear ? -1 : 1;
    if (target.month != now.wMonth)
        return target.month < now.wMonth ? -1 : 1;
    if (target.day != now.wDay)
        return target.day < now.wDay ? -1 : 1;
    return 0;
}

// On the wall clock: the target lies on an earlier date, earlier today, or
// in the current minute.
bool WallClockPassed(const CountdownTarget& target, const SYSTEMTIME& now)
{
    const int dateOrder = CompareTargetDate(target, now);
    if (dateOrder != 0)
        return dateOrder < 0;
    return target.hour < now.wHour || (target.hour == now.wHour && target.minute <= now.wMinute);
}

// Two digits for 0-9, plain decimal above.
std::wstring TwoDigits(unsigned value)
{
    return (value <= 9 ? L"0" : L"") + std::to_wstring(value);
}

std::wstring LabelWithSeconds(const RemainingTime& remaining, int32_t seconds)
{
    return std::to_wstring(remaining.days) + L"d " + std::to_wstring(remaining.hours) + L"h "
        + std::to_wstring(remaining.minutes) + L"m " + std::to_wstring(seconds) + L"s ";
}

} // namespace

// Low 8 bits of hour, minute, day, month; the year whole.
CountdownTarget CountdownTargetFromRecord(const TargetRecord& record)
{
    const TargetRecord low = LowByteFields(record);
    CountdownTarget target;
    target.hour = static_cast<uint8_t>(low.hour);
    target.minute = static_cast<uint8_t>(low.minute);
    target.day = static_cast<uint8_t>(low.day);
    target.month = static_cast<uint8_t>(low.month);
    target.year = low.year;
    return target;
}

// Whole minutes of each moment (truncated), then the absolute difference.
int64_t MinutesBetween(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    const int64_t difference = MinutesSince1601(a) - MinutesSince1601(b);
    return difference < 0 ? -difference : difference;
}

// The countdown shows whole minutes to the minute before the target's
// instant plus the seconds left in the current minute (1-60).
RemainingTime SplitRemainingTime(const FILETIME& nowUtc, const CountdownTarget& target,
                                 const DYNAMIC_TIME_ZONE_INFORMATION* zone)
{
    const RemainingTime REACHED = {0, 0, 0, 1, true};
    const ULONGLONG nowTicks = FileTimeTicks(nowUtc);

    int64_t total = 0;
    ULONGLONG targetTicks = 0;
    if (TargetInstant(target, zone, &targetTicks)) {
        // Real minutes from now's minute to the target's instant.
        total = static_cast<int64_t>(targetTicks / TICKS_PER_MINUTE)
            - static_cast<int64_t>(nowTicks / TICKS_PER_MINUTE);
    } else {
        // No instant for the target: the wall clock's minutes.
        SYSTEMTIME now = LocalWallClock(nowTicks, zone);
        if (WallClockPassed(target, now))
            return REACHED;
        now.wDayOfWeek = 0;
        now.wSecond = 0;
        now.wMilliseconds = 0;
        total = MinutesBetween(now, TargetMoment(target));
    }
    if (total <= 0)
        return REACHED;

    // One minute of the total is given back as the seconds left in the
    // current minute: at second 0 they read 60. UTC offsets are whole
    // minutes, so UTC's second is the wall clock's. At most some 10.5
    // million days: each part fits in 32 bits.
    const int64_t wholeMinutes = total - 1;
    RemainingTime remaining;
    remaining.days = static_cast<int32_t>(wholeMinutes / 60 / 24);
    remaining.hours = static_cast<int32_t>(wholeMinutes / 60 % 24);
    remaining.minutes = static_cast<int32_t>(wholeMinutes % 60);
    remaining.seconds = 60 - static_cast<int32_t>(nowTicks / TICKS_PER_SECOND % 60);
    remaining.reached = remaining.days == 0 && remaining.hours == 0 && remaining.minutes == 0
        && remaining.seconds == 1;
    return remaining;
}

// "Nd Nh Nm Ns ".
std::wstring RemainingTimeLabel(const RemainingTime& remaining)
{
    return LabelWithSeconds(remaining, remaining.seconds);
}

// As RemainingTimeLabel with 0 seconds.
std::wstring CompletionLabel(const RemainingTime& remaining)
{
    return LabelWithSeconds(remaining, 0);
}

// "Lo que falta para el dia dd/mm/yyyy a las hh:mm"; the year unpadded.
std::wstring CountdownCaption(const CountdownTarget& target)
{
    return L"Lo que falta para el dia " + TwoDigits(target.day) + L"/" + TwoDigits(target.month)
        + L"/" + std::to_wstring(target.year) + L" a las " + TwoDigits(target.hour) + L":"
        + TwoDigits(target.minute);
}

// Seconds since midnight from whole milliseconds, so no binary rounding
// shows up in the text (45296.12, never 45296.1199999).
std::string HotkeyAtomName(const SYSTEMTIME& now)
{
    const long milliseconds = now.wHour * 3600000L + now.wMinute * 60000L + now.wSecond * 1000L
        + now.wMilliseconds;
    return "My Hotkeyss" + NumberToText(milliseconds / 1000.0);
}
