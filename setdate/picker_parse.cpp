// Picker texts -> TargetRecord.
#include "picker_parse.h"

#include <vector>

#include "number_text.h"

namespace {

// One number found in a picker text.
struct TextNumber {
    int value;
    int digits;
};

// A field of a format picture: its letter and how often it is repeated.
struct FormatField {
    wchar_t letter;
    int count;
};

// First code point of each run of ten decimal digits outside ASCII that a
// locale may use (Arabic-Indic, Persian, Devanagari ... Fullwidth).
const wchar_t DIGIT_ZEROS[] = {
    0x0660, 0x06F0, 0x07C0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0BE6, 0x0C66,
    0x0CE6, 0x0D66, 0x0DE6, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x1090, 0x17E0, 0x1810,
    0x1946, 0x19D0, 0x1A80, 0x1A90, 0x1B50, 0x1BB0, 0x1C40, 0x1C50, 0xA620, 0xA8D0,
    0xA900, 0xA9D0, 0xA9F0, 0xAA50, 0xABF0, 0xFF10};

// The digit's value 0-9, or -1 for a character that is no decimal digit.
int DigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    for (wchar_t zero : DIGIT_ZEROS) {
        if (c >= zero && c <= zero + 9)
            return c - zero;
    }
    return -1;
}

// The runs of digits of a text, in order; everything else separates them.
std::vector<TextNumber> NumbersOf(const std::wstring& text)
{
    std::vector<TextNumber> numbers;
    bool inNumber = false;
    for (wchar_t c : text) {
        const int digit = DigitValue(c);
        if (digit < 0) {
            inNumber = false;
            continue;
        }
        if (!inNumber)
            numbers.push_back({0, 0});
        inNumber = true;
        TextNumber& number = numbers.back();
        if (number.digits < 9)  // keeps the value in range; such a text fails later
            number.value = number.value * 10 + digit;
        ++number.digits;
    }
    return numbers;
}

// The letter fields of a format picture; quoted literals ('text') skipped.
std::vector<FormatField> FieldsOf(const std::wstring& format)
{
    std::vector<FormatField> fields;
    bool quoted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c == L'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || !((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')))
            continue;
        if (!fields.empty() && fields.back().letter == c && i > 0 && format[i - 1] == c)
            ++fields.back().count;
        else
            fields.push_back({c, 1});
    }
    return fields;
}

// Whether a field is shown as a number: d/dd, M/MM, y..., h, H, m, s.
bool IsNumericField(const FormatField& field)
{
    switch (field.letter) {
    case L'd':
    case L'M':
        return field.count <= 2;
    case L'y':
    case L'h':
    case L'H':
    case L'm':
    case L's':
        return true;
    default:
        return false;  // day and month names, era, designator, other letters
    }
}

bool HasField(const std::vector<FormatField>& fields, wchar_t letter, int minCount)
{
    for (const FormatField& field : fields) {
        if (field.letter == letter && field.count >= minCount)
            return true;
    }
    return false;
}

// Lower-case text without blanks, dots and marks, for designator matching
// ("p. m.", "p.m." and "P M" all become "pm").
std::wstring Folded(const std::wstring& text)
{
    std::wstring folded;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'.' || c == 0x00A0 || c == 0x202F || c == 0x2009
            || c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E)
            || (c >= 0x2066 && c <= 0x2069))
            continue;
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        folded += c;
    }
    return folded;
}

// 1 for afternoon, 0 for morning, -1 when the text holds neither designator
// (or both equally). A format with a single 't' shows only the first letter.
int AfternoonOf(const std::wstring& timeText, const PickerFormats& formats, bool firstLetterOnly)
{
    const std::wstring text = Folded(timeText);
    std::wstring am = Folded(formats.amDesignator);
    std::wstring pm = Folded(formats.pmDesignator);
    if (firstLetterOnly) {
        am.resize(am.empty() ? 0 : 1);
        pm.resize(pm.empty() ? 0 : 1);
    }
    const size_t amLength = (!am.empty() && text.find(am) != std::wstring::npos) ? am.size() : 0;
    const size_t pmLength = (!pm.empty() && text.find(pm) != std::wstring::npos) ? pm.size() : 0;
    if (amLength == pmLength)
        return -1;
    return pmLength > amLength ? 1 : 0;
}

// A year shown with one or two digits, placed in the century window.
int FullYear(const TextNumber& year, int twoDigitYearMax)
{
    if (year.digits > 2)
        return year.value;
    int full = twoDigitYearMax / 100 * 100 + year.value;
    if (full > twoDigitYearMax)
        full -= 100;
    return full;
}

// Day, month and year from the date text; false when it does not fit.
bool ParseDate(const std::wstring& dateText, const PickerFormats& formats, TargetRecord* record)
{
    const std::vector<FormatField> fields = FieldsOf(formats.shortDate);
    if (HasField(fields, L'M', 3))
        return false;  // month names are not read
    const std::vector<TextNumber> numbers = NumbersOf(dateText);
    size_t next = 0;
    int day = -1, month = -1, year = -1;
    for (const FormatField& field : fields) {
        if (!IsNumericField(field))
            continue;
        if (next >= numbers.size())
            return false;
        const TextNumber& number = numbers[next++];
        if (field.letter == L'd')
            day = number.value;
        else if (field.letter == L'M')
            month = number.value;
        else if (field.letter == L'y')
            year = FullYear(number, formats.twoDigitYearMax);
        else
            return false;  // a time field in a date format
    }
    if (next != numbers.size() || day < 0 || month < 0 || year < 0)
        return false;
    record->day = static_cast<int16_t>(day);
    record->month = static_cast<int16_t>(month);
    record->year = static_cast<int16_t>(year > 32767 ? 32767 : year);
    return true;
}

// Hour and minute from the time text; false when it does not fit.
bool ParseTime(const std::wstring& timeText, const PickerFormats& formats, TargetRecord* record)
{
    const std::vector<FormatField> fields = FieldsOf(formats.timeFormat);
    const std::vector<TextNumber> numbers = NumbersOf(timeText);
    size_t next = 0;
    int hour = -1, minute = -1, second = 0;
    bool twelveHour = false;
    for (const FormatField& field : fields) {
        if (!IsNumericField(field))
            continue;
        if (next >= numbers.size())
            return false;
        const TextNumber& number = numbers[next++];
        if (field.letter == L'h' || field.letter == L'H') {
            hour = number.value;
            twelveHour = (field.letter == L'h');
        } else if (field.letter == L'm') {
            minute = number.value;
        } else if (field.letter == L's') {
            second = number.value;
        } else {
            return false;  // a date field in a time format
        }
    }
    if (next != numbers.size() || hour < 0 || minute < 0 || minute > 59 || second > 59)
        return false;
    if (twelveHour) {
        if (!HasField(fields, L't', 1) || hour < 1 || hour > 12)
            return false;
        const int afternoon = AfternoonOf(timeText, formats, !HasField(fields, L't', 2));
        if (afternoon < 0)
            return false;
        hour = hour % 12 + (afternoon ? 12 : 0);
    }
    if (hour > 23)
        return false;
    record->hour = static_cast<int16_t>(hour);
    record->minute = static_cast<int16_t>(minute);
    return true;
}

// Characters `first` (from 1) to first + count - 1, clipped to the text.
std::string Middle(const std::string& text, size_t first, size_t count)
{
    if (first < 1 || first > text.size())
        return std::string();
    return text.substr(first - 1, count);
}

} // namespace

TargetRecord ParseFixedPickerTexts(const std::string& timeText, const std::string& dateText)
{
    const size_t colon = timeText.find(':');                      // p - 1
    const size_t p = (colon == std::string::npos) ? 0 : colon + 1;  // 0: no colon
    TargetRecord record;
    record.hour = FieldAtStart(p > 1 ? timeText.substr(0, p - 1) : std::string());
    record.minute = FieldAtStart(Middle(timeText, p + 1, 2));
    record.day = FieldAtStart(Middle(dateText, 1, 2));
    record.month = FieldAtStart(Middle(dateText, 4, 2));
    record.year = FieldAtStart(dateText.size() > 4 ? dateText.substr(dateText.size() - 4) : dateText);
    return record;
}

bool ParsePickerTexts(const std::wstring& timeText, const std::wstring& dateText,
                      const PickerFormats& formats, TargetRecord* record)
{
    TargetRecord parsed = {};
    if (!ParseTime(timeText, formats, &parsed) || !ParseDate(dateText, formats, &parsed))
        return false;
    if (!IsValidTargetMoment(parsed))
        return false;
    *record = parsed;
    return true;
}
