// Robustness: records and files against an independent calendar, the real
// countdown.exe on random and boundary target files, setdate.exe saving while
// countdown.exe starts in the same folder, and two countdowns at once.
//
// The random cases come from one seed, printed by each test that uses it;
// DIMINUTO_SEED=<number> replays a run.
//
// Not covered: the clock moving while a countdown runs (a jump forward past
// the target, or back across it). Under Wine a program cannot set the clock
// (Wine keeps the host's time), and moving the host's clock would disturb
// everything else running, so it is out of reach here.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "countdown_run.h"
#include "target_file.h"

using countdown_run::CountdownRun;
using Bytes = std::vector<unsigned char>;

namespace {

const wchar_t COMPLETION[] = L"Enhorabuena ya hemos llegado a la fecha deseada ...";
const wchar_t NO_TARGET_TEXT[] =
    L"El fichero diminuto.log no guarda ninguna fecha valida; elija una con setdate ...";
const wchar_t UNREADABLE_TEXT[] =
    L"No se pudo leer el fichero diminuto.log; puede que otro programa lo este usando ...";
const wchar_t SETDATE_CAPTION[] = L"Configura tu Tiempo ...";
const wchar_t SETDATE_SAVED[] = L"Archivado fichero de configuracion ...\r\nGracias ...";
const wchar_t SETDATE_ERROR_TITLE[] = L"Velto Soft";
constexpr int DATE_PICKER_ID = 1003;
constexpr int SAVE_BUTTON_ID = 1005;
constexpr int EXIT_BUTTON_ID = 1006;
constexpr long long MINUTES_PER_DAY = 24 * 60;

unsigned Seed()
{
    static const unsigned seed = [] {
        const char* text = getenv("DIMINUTO_SEED");
        return text ? static_cast<unsigned>(strtoul(text, nullptr, 0)) : 20261208u;
    }();
    return seed;
}

std::mt19937 SeededRandom(const char* test)
{
    printf("%s: seed %u (DIMINUTO_SEED=%u replays it)\n", test, Seed(), Seed());
    fflush(stdout);
    testing::Test::RecordProperty("seed", std::to_string(Seed()));
    return std::mt19937(Seed());
}

int Pick(std::mt19937& random, int lowest, int highest)
{
    return lowest + static_cast<int>(random() % static_cast<unsigned>(highest - lowest + 1));
}

// Days since 1 January 1970 of a proleptic Gregorian date (era arithmetic,
// no month table), the test's own calendar.
long long DaysFromCivil(long long year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

struct Fields {
    int minute, hour, day, month, year;
};

// A moment SYSTEMTIME can hold: years 1601-30827, a day the month has.
bool OracleValid(const Fields& f)
{
    if (f.year < 1601 || f.year > 30827 || f.month < 1 || f.month > 12 || f.hour < 0
        || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.day < 1)
        return false;
    const long long first = DaysFromCivil(f.year, f.month, 1);
    const long long next = f.month == 12 ? DaysFromCivil(f.year + 1, 1, 1)
                                         : DaysFromCivil(f.year, f.month + 1, 1);
    return first + f.day - 1 < next;
}

// The fields as the countdown keeps them: low bytes, the year whole.
Fields CountdownReads(const Fields& f)
{
    return {f.minute & 0xFF, f.hour & 0xFF, f.day & 0xFF, f.month & 0xFF, f.year};
}

long long OracleMinutes(const Fields& f)
{
    return DaysFromCivil(f.year, f.month, f.day) * MINUTES_PER_DAY + f.hour * 60 + f.minute;
}

Fields Now(SYSTEMTIME* now = nullptr)
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    if (now)
        *now = local;
    return {local.wMinute, local.wHour, local.wDay, local.wMonth, local.wYear};
}

// The record bytes, put together here byte by byte.
Bytes BytesOf(const Fields& f)
{
    Bytes bytes;
    for (int field : {f.minute, f.hour, f.day, f.month, f.year}) {
        bytes.push_back(static_cast<unsigned char>(field & 0xFF));
        bytes.push_back(static_cast<unsigned char>((field >> 8) & 0xFF));
    }
    return bytes;
}

// The fields of the last whole record; false when there is none.
bool LastWholeRecord(const Bytes& content, Fields* f)
{
    if (content.size() < static_cast<size_t>(TARGET_RECORD_SIZE))
        return false;
    const size_t at = (content.size() / TARGET_RECORD_SIZE - 1) * TARGET_RECORD_SIZE;
    int values[5];
    for (int i = 0; i < 5; ++i)
        values[i] = static_cast<int16_t>(content[at + 2 * i] | (content[at + 2 * i + 1] << 8));
    *f = {values[0], values[1], values[2], values[3], values[4]};
    return true;
}

SYSTEMTIME SystemTimeOf(const Fields& f)
{
    SYSTEMTIME moment = {};
    moment.wYear = static_cast<WORD>(f.year);
    moment.wMonth = static_cast<WORD>(f.month);
    moment.wDay = static_cast<WORD>(f.day);
    moment.wHour = static_cast<WORD>(f.hour);
    moment.wMinute = static_cast<WORD>(f.minute);
    return moment;
}

std::string Describe(const Fields& f)
{
    char text[96];
    snprintf(text, sizeof text, "%d/%d/%d %d:%d", f.day, f.month, f.year, f.hour, f.minute);
    return text;
}

std::string Hex(const Bytes& bytes, size_t from)
{
    std::string out;
    for (size_t i = from; i < bytes.size(); ++i) {
        char two[4];
        snprintf(two, sizeof two, "%02X ", bytes[i]);
        out += two;
    }
    return out;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());  // the texts here are ASCII
}

// A valid moment in [firstYear, lastYear].
Fields ValidMoment(std::mt19937& random, int firstYear, int lastYear)
{
    Fields f;
    do {
        f = {Pick(random, 0, 59), Pick(random, 0, 23), Pick(random, 1, 31), Pick(random, 1, 12),
             Pick(random, firstYear, lastYear)};
    } while (!OracleValid(f));
    return f;
}

// A moment with one or two fields at a boundary: out of range, at the edge,
// beyond 255 with a valid low byte, or 29 February of a common or leap year.
Fields BoundaryMoment(std::mt19937& random)
{
    static const int ANY[] = {0, -1, 255, 256, 32767, -32768};
    static const std::vector<int> EDGES[5] = {
        {59, 60, 256 + 30}, {23, 24, 256 + 12}, {0, 1, 28, 29, 30, 31, 32, 256 + 15},
        {0, 1, 12, 13, 256 + 6}, {1600, 1601, 30827, 30828, 0x10000 - 2026}};
    Fields f = ValidMoment(random, 1601, 30827);
    int* fields[5] = {&f.minute, &f.hour, &f.day, &f.month, &f.year};
    if (random() % 6 == 0) {
        static const int YEARS[] = {1700, 1900, 2026, 2100, 30827, 1604, 2000, 2400, 30824};
        f.day = 29;
        f.month = 2;
        f.year = YEARS[random() % 9];
        return f;
    }
    for (int changes = Pick(random, 1, 2); changes > 0; --changes) {
        const int which = Pick(random, 0, 4);
        const std::vector<int>& edges = EDGES[which];
        *fields[which] = random() % 3 == 0 ? ANY[random() % 6] : edges[random() % edges.size()];
        *fields[which] = static_cast<int16_t>(*fields[which]);
    }
    return f;
}

Bytes RandomBytes(std::mt19937& random, size_t count)
{
    Bytes bytes(count);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(random());
    return bytes;
}

// Whole random records in front of `last`, then 1-9 stray bytes half the time.
Bytes FileEndingIn(std::mt19937& random, const Fields& last)
{
    Bytes content = RandomBytes(random, TARGET_RECORD_SIZE * static_cast<size_t>(Pick(random, 0, 3)));
    const Bytes record = BytesOf(last);
    content.insert(content.end(), record.begin(), record.end());
    if (random() % 2) {
        const Bytes stray = RandomBytes(random, static_cast<size_t>(Pick(random, 1, 9)));
        content.insert(content.end(), stray.begin(), stray.end());
    }
    return content;
}

// One test file: what kind of case it is, and its bytes.
struct TargetCase {
    std::string kind;
    Bytes content;
};

// Fixed extremes first, then random files, boundary, past and future records.
std::vector<TargetCase> TargetCases(std::mt19937& random, size_t count)
{
    const Fields now = Now();
    auto fromNow = [](long long minutes) {
        const SYSTEMTIME t = countdown_run::LocalMinuteFromNow(minutes);
        return Fields{t.wMinute, t.wHour, t.wDay, t.wMonth, t.wYear};
    };
    std::vector<TargetCase> cases = {
        {"empty file", Bytes()},
        {"64 KiB of random bytes", RandomBytes(random, 65536)},
        {"last moment", FileEndingIn(random, {59, 23, 31, 12, 30827})},
        {"first moment", FileEndingIn(random, {0, 0, 1, 1, 1601})},
        // A difference that a 32-bit count of minutes wraps round to 0, and
        // one that it turns negative.
        {"2^32 minutes ahead", BytesOf(fromNow(1LL << 32))},
        {"2^31 minutes ahead", BytesOf(fromNow(1LL << 31))},
        {"29 February 2100", FileEndingIn(random, {0, 12, 29, 2, 2100})},
    };
    while (cases.size() < count) {
        switch (cases.size() % 4) {
        case 0:
            cases.push_back({"random bytes", RandomBytes(random, random() % 65537)});
            break;
        case 1:
            cases.push_back({"boundary record", FileEndingIn(random, BoundaryMoment(random))});
            break;
        case 2:
            cases.push_back({"past moment", FileEndingIn(random, ValidMoment(random, 1601, now.year - 1))});
            break;
        default:
            cases.push_back({"future moment", FileEndingIn(random, ValidMoment(random, now.year + 1, 30827))});
            break;
        }
    }
    return cases;
}

// What a countdown process showed first.
struct Outcome {
    enum Kind { COUNTING, MESSAGE, ENDED, NOTHING } kind = NOTHING;
    HWND window = NULL;
    std::wstring text;  // caption or message
};

Outcome WaitForOutcome(const driver::Program& program, DWORD timeoutMs = driver::WAIT_MS)
{
    Outcome seen;
    driver::WaitUntil([&] {
        if (HWND box = program.WaitForMessageBox(countdown_run::MESSAGE_TITLE, 0)) {
            seen = {Outcome::MESSAGE, box, driver::MessageBoxText(box)};
        } else if (HWND window = program.WaitForWindow(countdown_run::CAPTION_PREFIX, 0)) {
            seen = {Outcome::COUNTING, window, driver::WindowText(window)};
        } else if (!program.IsRunning()) {
            seen.kind = Outcome::ENDED;
        }
        return seen.kind != Outcome::NOTHING;
    }, timeoutMs);
    return seen;
}

std::string DescribeOutcome(const Outcome& seen)
{
    static const char* const KINDS[] = {"countdown window", "message", "silent end", "nothing"};
    return std::string(KINDS[seen.kind]) + " \"" + Narrow(seen.text) + "\"";
}

HWND Label(HWND countdown)
{
    return GetDlgItem(countdown, countdown_run::LABEL_ID);
}

// Ends the run by closing its message or clicking its window (again every
// few seconds, in case a click came before the window took input); expects
// exit code 0. Windows on top of each other get the label's click
// notification posted instead.
void EndAndExpectExitZero(const driver::Program& program, const Outcome& seen, bool click = true)
{
    ULONGLONG lastClick = 0;
    const bool ended = driver::WaitUntil([&] {
        if (!program.IsRunning())
            return true;
        if (seen.kind == Outcome::MESSAGE && lastClick == 0) {
            driver::CloseMessageBox(seen.window);
            lastClick = 1;
        } else if (seen.kind == Outcome::COUNTING && GetTickCount64() - lastClick > 3000) {
            if (click) {
                SetForegroundWindow(seen.window);
                driver::ClickWindow(Label(seen.window));
            } else {
                PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(countdown_run::LABEL_ID, STN_CLICKED),
                             reinterpret_cast<LPARAM>(Label(seen.window)));
            }
            lastClick = GetTickCount64();
        }
        return false;
    });
    ASSERT_TRUE(ended) << "still running after " << DescribeOutcome(seen);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(program.Handle(), &code);
    EXPECT_EQ(code, 0u) << "exit code " << std::hex << code;
}

// The first label once the timer has set it; its total in seconds.
bool FirstLabelSeconds(HWND countdown, long long* seconds, std::wstring* text)
{
    const bool shown = driver::WaitUntil([&] {
        *text = driver::WindowText(Label(countdown));
        return !text->empty();
    });
    countdown_run::Remaining remaining = {};
    if (!shown || !countdown_run::ParseLabel(*text, &remaining))
        return false;
    *seconds = remaining.TotalSeconds();
    return true;
}

}  // namespace

// Every day of the years around the calendar's turns and range ends, with
// the fields just outside their ranges, and random records: the decoder and
// the validity check against the test's own calendar; then random files
// through the load against the last whole record.
TEST(RobustRecords, DecodeValidityAndLoadAgreeWithAnIndependentCalendar)
{
    std::mt19937 random = SeededRandom("RobustRecords");
    int failures = 0;  // a few are enough to tell
    auto check = [&](const Fields& f) {
        if (failures > 10)
            return false;
        const Bytes bytes = BytesOf(f);
        const TargetRecord r = DecodeTargetRecord(bytes.data());
        const Fields decoded = {r.minute, r.hour, r.day, r.month, r.year};
        Fields expected;
        LastWholeRecord(bytes, &expected);
        const bool same = decoded.minute == expected.minute && decoded.hour == expected.hour
            && decoded.day == expected.day && decoded.month == expected.month
            && decoded.year == expected.year;
        EXPECT_TRUE(same) << Describe(f) << " decoded as " << Describe(decoded);
        const bool agree = IsValidTargetMoment(r) == OracleValid(expected);
        EXPECT_TRUE(agree) << Describe(expected) << " valid: " << OracleValid(expected);
        failures += !(same && agree);
        return same && agree;
    };
    std::vector<int> years = {-32768, -1, 0, 1, 1582, 32767};
    for (int centre : {1600, 1700, 1800, 1900, 2000, 2100, 2200, 2300, 2400, 30827})
        for (int year = centre - 4; year <= centre + 4; ++year)
            years.push_back(year);
    for (int year = 2020; year <= 2104; ++year)
        years.push_back(year);
    for (int year : years)
        for (int month = -1; month <= 14; ++month)
            for (int day = -1; day <= 33; ++day)
                check({year % 2 ? 59 : 0, year % 2 ? 23 : 0, day, month, year});
    for (int minute = -2; minute <= 61; ++minute)
        for (int hour = -2; hour <= 25; ++hour)
            check({minute, hour, 8, 12, 2026});
    for (int i = 0; i < 100000; ++i) {
        const Bytes bytes = RandomBytes(random, TARGET_RECORD_SIZE);
        Fields f;
        LastWholeRecord(bytes, &f);
        check(i % 2 ? f : BoundaryMoment(random));
    }

    driver::TempFolder folder(L"robust-load");
    const std::wstring path = folder.File(TARGET_FILE_NAME);
    for (int i = 0; i < 300; ++i) {
        const Bytes content = i % 3 == 0 ? RandomBytes(random, random() % 65537)
            : FileEndingIn(random, i % 3 == 1 ? BoundaryMoment(random) : ValidMoment(random, 1601, 30827));
        ASSERT_TRUE(driver::WriteFileBytes(path, content));
        Fields last = {};
        const bool valid = LastWholeRecord(content, &last) && OracleValid(CountdownReads(last));
        TargetRecord loaded = {};
        const LoadStatus status = LoadTargetRecord(path, &loaded);
        EXPECT_EQ(status, valid ? LOAD_OK : LOAD_NO_TARGET)
            << content.size() << " bytes ending " << Hex(content, content.size() - std::min<size_t>(content.size(), 19));
        if (status == LOAD_OK && valid) {
            EXPECT_EQ(BytesOf({loaded.minute, loaded.hour, loaded.day, loaded.month, loaded.year}),
                      BytesOf(last));
        }
    }
}

// Each file in a fresh folder: no valid last whole record gives the "no
// valid target" message and leaves the file byte for byte; a valid moment
// already past gives the completion and removes the file; a later one
// counts (caption, a label that matches the time left) until a click. Every
// run ends with exit code 0 and never completes on a record that is no
// valid moment.
TEST(RobustCountdown, RandomAndBoundaryTargetFiles)
{
    std::mt19937 random = SeededRandom("RobustCountdown");
    const std::vector<TargetCase> cases = TargetCases(random, 32);
    int counted[3] = {0, 0, 0};
    for (size_t i = 0; i < cases.size(); ++i) {
        const Bytes& content = cases[i].content;
        Fields last = {};
        const bool whole = LastWholeRecord(content, &last);
        last = CountdownReads(last);
        const bool valid = whole && OracleValid(last);
        SCOPED_TRACE(testing::Message()
                     << "file " << i << " (" << cases[i].kind << "), " << content.size()
                     << " bytes ending " << Hex(content, content.size() - std::min<size_t>(content.size(), 19))
                     << (valid ? ", valid moment " + Describe(last) : std::string(", no valid moment")));
        CountdownRun run(L"robust");
        ASSERT_TRUE(run.WriteTarget(content));
        SYSTEMTIME started;
        const Fields now = Now(&started);
        const long long ahead = valid ? OracleMinutes(last) - OracleMinutes(now) : 0;
        if (valid && ahead >= -1 && ahead <= 2)
            continue;  // too near the present to tell which side it falls on
        ASSERT_TRUE(run.Start());
        const Outcome seen = WaitForOutcome(run.Process());
        ASSERT_NE(seen.kind, Outcome::NOTHING) << "no outcome";

        if (!valid || ahead < 0) {
            ++counted[valid ? 1 : 0];
            EXPECT_EQ(seen.kind, Outcome::MESSAGE) << DescribeOutcome(seen);
            EXPECT_EQ(Narrow(seen.text), Narrow(valid ? COMPLETION : NO_TARGET_TEXT));
            EXPECT_FALSE(run.CountdownShown()) << "a window beside the message";
            EndAndExpectExitZero(run.Process(), seen);
            Bytes after;
            const bool kept = driver::ReadFileBytes(run.TargetFile(), &after);
            if (valid) {
                EXPECT_FALSE(kept) << "target file not removed";
            } else {
                EXPECT_TRUE(kept) << "file removed";
                EXPECT_TRUE(after == content) << "file changed";
            }
            continue;
        }

        ++counted[2];
        EXPECT_EQ(seen.kind, Outcome::COUNTING) << DescribeOutcome(seen);
        if (seen.kind == Outcome::COUNTING) {
            EXPECT_EQ(Narrow(seen.text), Narrow(countdown_run::ExpectedCaption(SystemTimeOf(last))));
            long long shown = 0;
            std::wstring label;
            const bool parsed = FirstLabelSeconds(seen.window, &shown, &label);
            SYSTEMTIME read;
            const long long left = (OracleMinutes(last) - OracleMinutes(Now(&read))) * 60 - read.wSecond;
            EXPECT_TRUE(parsed) << "label \"" << Narrow(label) << "\"";
            // Generous: the label may lag the clock by a tick or two.
            EXPECT_TRUE(parsed && shown <= left + 120 && shown >= left - 120)
                << "label \"" << Narrow(label) << "\" for " << left << " seconds left";
        }
        EndAndExpectExitZero(run.Process(), seen);
        Bytes after;
        EXPECT_TRUE(driver::ReadFileBytes(run.TargetFile(), &after) && after == content)
            << "file removed or changed";
    }
    printf("no valid target %d, completed %d, counted %d\n", counted[0], counted[1], counted[2]);
    EXPECT_GT(counted[0] * counted[1] * counted[2], 0) << "a kind of case never came";
}

// setdate.exe saves again and again (its date in the next year, so every
// save stores the same moment) from a thread of its own while countdown.exe
// starts beside it, 50 times. A countdown start shows the stored moment, or
// ends silently (the file just deleted), or says the file could not be read
// or holds no valid target; it never completes. Each save shows success or
// an "Err: ..." box; once the saves stop, one more leaves the one record.
TEST(RobustRace, SetdateSavingWhileCountdownStarts)
{
    driver::TempFolder folder(L"robust-race");
    const std::wstring countdownExe = folder.AddProgram(L"countdown.exe");
    const std::wstring file = folder.File(TARGET_FILE_NAME);
    driver::Program setdate;
    ASSERT_TRUE(setdate.Start(folder.AddProgram(L"setdate.exe")));
    HWND window = setdate.WaitForWindow(SETDATE_CAPTION);
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "no setdate window";

    // The same day and month of the next year.
    HWND datePicker = GetDlgItem(window, DATE_PICKER_ID);
    const std::wstring today = driver::WindowText(datePicker);
    RECT rect;
    GetWindowRect(datePicker, &rect);
    // Keys sent before the picker has the focus are lost: try again then.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring nextYear = std::to_wstring(now.wYear + 1);
    bool moved = false;
    for (int attempt = 0; attempt < 5 && !moved; ++attempt) {
        driver::ClickAt(rect.left + 8, (rect.top + rect.bottom) / 2);
        driver::WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
        // Typed field by field in the order of the user's short date.
        wchar_t format[80] = L"";
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, format, ARRAYSIZE(format));
        for (const wchar_t* c = format; *c; ++c) {
            if (c[1] == *c || (*c != L'd' && *c != L'M' && *c != L'y'))
                continue;  // one entry per run of letters; separators skipped
            wchar_t digits[8];
            swprintf(digits, ARRAYSIZE(digits), *c == L'y' ? L"%04d" : L"%02d",
                     *c == L'd' ? (now.wDay > 28 ? 28 : now.wDay) : *c == L'M' ? now.wMonth : now.wYear + 1);
            driver::TypeText(digits);
            driver::PressKey(VK_RIGHT);
        }
        moved = driver::WaitUntil([&] {
            return driver::WindowText(datePicker).find(nextYear) != std::wstring::npos;
        }, 4000);
    }
    ASSERT_TRUE(moved) << "date picker still shows " << Narrow(driver::WindowText(datePicker)) << ", was " << Narrow(today);

    std::atomic<int> saves[2] = {{0}, {0}};  // stored, errors
    // Posts "Guardar" and closes the box it brings; true for success.
    auto save = [&]() -> bool {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(SAVE_BUTTON_ID, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, SAVE_BUTTON_ID)));
        HWND box = NULL;
        bool saved = false;
        EXPECT_TRUE(driver::WaitUntil([&] {
            box = setdate.WaitForMessageBox(countdown_run::MESSAGE_TITLE, 0);
            saved = box != NULL;
            if (!box)
                box = setdate.WaitForMessageBox(SETDATE_ERROR_TITLE, 0);
            return box != NULL || !setdate.IsRunning();
        }, driver::WAIT_MS, 5)) << "no box after Guardar";
        if (!box)
            return false;
        const std::wstring text = driver::MessageBoxText(box);
        if (saved)
            EXPECT_EQ(Narrow(text), Narrow(SETDATE_SAVED));
        else
            EXPECT_EQ(Narrow(text).substr(0, 5), "Err: ") << Narrow(text);
        driver::CloseMessageBox(box);
        driver::WaitUntil([&] { return !IsWindow(box); }, driver::WAIT_MS, 5);
        ++saves[saved ? 0 : 1];
        return saved;
    };

    ASSERT_TRUE(save()) << "the first save, alone, failed";
    Bytes stored;
    Fields target = {};
    ASSERT_TRUE(driver::ReadFileBytes(file, &stored));
    ASSERT_EQ(stored.size(), static_cast<size_t>(TARGET_RECORD_SIZE)) << Hex(stored, 0);
    ASSERT_TRUE(LastWholeRecord(stored, &target) && OracleValid(target)) << Hex(stored, 0);
    // At least a day: 31 December goes to 1 January of the next year.
    ASSERT_GE(OracleMinutes(target) - OracleMinutes(Now()), MINUTES_PER_DAY - 2)
        << "stored " << Describe(target) << ", not a day ahead";
    const std::wstring caption = countdown_run::ExpectedCaption(SystemTimeOf(target));

    std::atomic<bool> stop(false);
    std::thread saver([&] {
        while (!stop && setdate.IsRunning())
            save();
    });
    // Three starts at once a round, for more chances to meet a save.
    int outcomes[4] = {0, 0, 0, 0};  // counting, unreadable, no target, silent end
    for (int round = 0; round < 50 && !HasFailure(); ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        driver::Program countdowns[3];
        for (driver::Program& countdown : countdowns)
            EXPECT_TRUE(countdown.Start(countdownExe));
        for (driver::Program& countdown : countdowns) {
            const Outcome seen = WaitForOutcome(countdown);
            EXPECT_NE(seen.kind, Outcome::NOTHING) << "no outcome";
            if (seen.kind == Outcome::COUNTING) {
                ++outcomes[0];
                EXPECT_EQ(Narrow(seen.text), Narrow(caption));
            } else if (seen.kind == Outcome::MESSAGE) {
                const bool unreadable = seen.text == UNREADABLE_TEXT;
                ++outcomes[unreadable ? 1 : 2];
                EXPECT_TRUE(unreadable || seen.text == NO_TARGET_TEXT) << DescribeOutcome(seen);
            } else if (seen.kind == Outcome::ENDED) {
                ++outcomes[3];
            }
            EndAndExpectExitZero(countdown, seen, false);
        }
    }
    stop = true;
    saver.join();
    printf("saves: %d stored, %d errors; countdown: %d counted, %d unreadable, %d no target, "
           "%d silent\n", saves[0].load(), saves[1].load(), outcomes[0], outcomes[1], outcomes[2],
           outcomes[3]);

    EXPECT_TRUE(save()) << "a save with no countdown around failed";
    EXPECT_TRUE(driver::ReadFileBytes(file, &stored) && stored == BytesOf(target))
        << "file holds " << Hex(stored, 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(EXIT_BUTTON_ID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, EXIT_BUTTON_ID)));
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(setdate.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

// A second countdown beside a running one: Alt+C stays with the first (it
// alone hides and shows), the second keeps counting and ends by a click.
TEST(RobustCountdown, SecondCountdownWhileOneRuns)
{
    CountdownRun run;
    const SYSTEMTIME target = countdown_run::LocalMinuteFromNow(2 * MINUTES_PER_DAY);
    ASSERT_TRUE(run.WriteTarget(countdown_run::RecordBytes(target)));
    ASSERT_TRUE(run.Start());
    HWND first = run.WaitForCountdown();
    ASSERT_NE(first, static_cast<HWND>(NULL)) << "no first countdown";
    driver::Program second;
    ASSERT_TRUE(second.Start(run.ProgramPath()));
    const Outcome seen = WaitForOutcome(second);
    ASSERT_EQ(seen.kind, Outcome::COUNTING) << DescribeOutcome(seen);
    EXPECT_EQ(Narrow(seen.text), Narrow(countdown_run::ExpectedCaption(target)));

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(first); })) << "first not hidden";
    EXPECT_TRUE(IsWindowVisible(seen.window)) << "Alt+C hid the second too";
    long long before = 0, later = 0;
    std::wstring text;
    ASSERT_TRUE(FirstLabelSeconds(seen.window, &before, &text)) << Narrow(text);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::WindowText(Label(seen.window)) != text; }))
        << "second stopped counting at \"" << Narrow(text) << "\"";
    ASSERT_TRUE(FirstLabelSeconds(seen.window, &later, &text)) << Narrow(text);
    EXPECT_LT(later, before) << "second counts up";

    EndAndExpectExitZero(second, seen);  // the only window at that place now
    EXPECT_TRUE(run.Process().IsRunning()) << "the click ended the first as well";
    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(first) != FALSE; }))
        << "first not shown again";
    EndAndExpectExitZero(run.Process(), {Outcome::COUNTING, first, L""});
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "a click removed the target file";
}
