// Remaining-time arithmetic and the countdown's texts.
#include "remaining_time.h"

#include "number_text.h"

namespace {

constexpr ULONGLONG TICKS_PER_MINUTE = 600000000ULL;  // 100-ns FILETIME units

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

// The UTC ticks of a local moment, or 0 when it cannot be converted.
ULONGLONG LocalToUtcTicks(const SYSTEMTIME& local, const TIME_ZONE_INFORMATION* zone)
{
    SYSTEMTIME utc;
    FILETIME fileTime;
    if (!TzSpecificLocalTimeToSystemTime(zone, &local, &utc) || !SystemTimeToFileTime(&utc, &fileTime))
        return 0;
    return FileTimeTicks(fileTime);
}

// True when the UTC ticks show as the wall-clock minute of `local`.
bool ShowsAs(ULONGLONG utcTicks, const SYSTEMTIME& local, const TIME_ZONE_INFORMATION* zone)
{
    const FILETIME fileTime = TicksFileTime(utcTicks);
    SYSTEMTIME utc, shown;
    return FileTimeToSystemTime(&fileTime, &utc) && SystemTimeToTzSpecificLocalTime(zone, &utc, &shown)
        && shown.wYear == local.wYear && shown.wMonth == local.wMonth && shown.wDay == local.wDay
        && shown.wHour == local.wHour && shown.wMinute == local.wMinute;
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

// Minutes since 1601 (UTC) of second 0 of a local wall-clock minute, by the
// rules that `zone` (NULL: the system's current zone) gives for that date.
// The clock shifts by an hour at a daylight-saving change: a moment an hour
// earlier that shows the same wall-clock minute is its first occurrence,
// the one taken. False when it cannot be converted.
bool LocalMinuteToUtcMinutes(const SYSTEMTIME& local, const TIME_ZONE_INFORMATION* zone,
                             int64_t* minutes)
{
    SYSTEMTIME minute = local;
    minute.wDayOfWeek = 0;
    minute.wSecond = 0;
    minute.wMilliseconds = 0;
    ULONGLONG ticks = LocalToUtcTicks(minute, zone);
    if (ticks == 0)
        return false;
    const ULONGLONG HOUR_TICKS = 60 * TICKS_PER_MINUTE;
    if (ticks > HOUR_TICKS && ShowsAs(ticks - HOUR_TICKS, minute, zone))
        ticks -= HOUR_TICKS;
    *minutes = static_cast<int64_t>(ticks / TICKS_PER_MINUTE);
    return true;
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

// The countdown shows whole minutes to the minute before the target plus the
// seconds left in the current minute (1-60).
RemainingTime SplitRemainingTime(const SYSTEMTIME& now, const CountdownTarget& target,
                                 const TIME_ZONE_INFORMATION* zone)
{
    const RemainingTime REACHED = {0, 0, 0, 1, true};

    const int dateOrder = CompareTargetDate(target, now);
    if (dateOrder < 0)
        return REACHED;
    if (dateOrder == 0
        && (target.hour < now.wHour || (target.hour == now.wHour && target.minute <= now.wMinute)))
        return REACHED;

    SYSTEMTIME nowMinute = now;
    nowMinute.wSecond = 0;
    nowMinute.wMilliseconds = 0;
    nowMinute.wDayOfWeek = 0;
    const SYSTEMTIME targetMoment = TargetMoment(target);
    // Real minutes between the instants; the wall clock's where a moment has
    // no instant, or where the instants disagree with the wall clock (a
    // target in an hour the clock skips or repeats).
    int64_t nowUtc = 0, targetUtc = 0;
    const int64_t total = LocalMinuteToUtcMinutes(nowMinute, zone, &nowUtc)
            && LocalMinuteToUtcMinutes(targetMoment, zone, &targetUtc) && targetUtc > nowUtc
        ? targetUtc - nowUtc
        : MinutesBetween(nowMinute, targetMoment);
    if (total == 0)
        return REACHED;

    // At most some 10.5 million days: each part fits in 32 bits.
    RemainingTime remaining;
    remaining.days = static_cast<int32_t>(total / 60 / 24);
    remaining.hours = static_cast<int32_t>(total / 60 % 24);
    remaining.minutes = static_cast<int32_t>(total % 60) - 1;
    if (remaining.minutes < 0) {
        remaining.minutes = 59;
        remaining.hours -= 1;
        if (remaining.hours < 0) {
            remaining.hours = 23;
            remaining.days -= 1;
            if (remaining.days < 0)
                remaining.days = 0;
        }
    }
    remaining.seconds = 60 - now.wSecond;
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
