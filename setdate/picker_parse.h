// Picker texts -> TargetRecord; no window needed.
#pragma once

#include <string>

#include "target_file.h"

// The user's locale formats that the pickers show their texts in.
struct PickerFormats {
    std::wstring shortDate;     // LOCALE_SSHORTDATE, e.g. L"dd/MM/yyyy"
    std::wstring timeFormat;    // LOCALE_STIMEFORMAT, e.g. L"HH:mm:ss"
    std::wstring amDesignator;  // LOCALE_S1159, e.g. L"AM"
    std::wstring pmDesignator;  // LOCALE_S2359, e.g. L"PM"
    int twoDigitYearMax;        // "yy" means a year in (max - 100, max]
};

constexpr int DEFAULT_TWO_DIGIT_YEAR_MAX = 2029;

// The fixed-position parse of the classic "HH:mm:ss" and "dd/MM/yyyy" texts
// (8-bit): hour = number before the first ':', minute = the two characters
// after it, day = characters 1-2, month = characters 4-5, year = the last
// four. Nothing is range-checked.
TargetRecord ParseFixedPickerTexts(const std::string& timeText, const std::string& dateText);

// Reads the pickers' texts by the user's formats: numbers are taken in the
// order the format gives day, month and year (hour, minute, second), a
// 12-hour time by its designator. Direction marks and other non-digits
// between the numbers are skipped; digits of other scripts count.
// Returns false, and leaves *record alone, unless both texts fit their
// formats and give a real calendar moment; seconds are dropped.
bool ParsePickerTexts(const std::wstring& timeText, const std::wstring& dateText,
                      const PickerFormats& formats, TargetRecord* record);
