// Robustness: records and files against an independent calendar, the real
// countdown.exe on random and boundary target files, setdate.exe saving while
// countdown.exe starts in the same folder, and two countdowns at once.
//
// The random cases come from one seed, printed by each test that uses it;
// DIMINUTO_SEED=<number> replays a run. The clock moving while a countdown
// runs is tested on the fake clock (countdown_counting_tests.cpp).
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
#include "test_support.h"

using countdown_run::CountdownRun;

namespace {

constexpr long long MINUTES_PER_DAY = 24 * 60;

std::mt19937 SeededRandom(const char* test)
{
    const char* text = getenv("DIMINUTO_SEED");
    const unsigned seed = text ? static_cast<unsigned>(strtoul(text, nullptr, 0)) : 20261208u;
    printf("%s: seed %u (DIMINUTO_SEED=%u replays it)\n", test, seed, seed);
    fflush(stdout);
    testing::Test::RecordProperty("seed", std::to_string(seed));
    return std::mt19937(seed);
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

TargetRecord Record(int minute, int hour, int day, int month, int year)
{
    return {static_cast<int16_t>(minute), static_cast<int16_t>(hour), static_cast<int16_t>(day),
            static_cast<int16_t>(month), static_cast<int16_t>(year)};
}

// A moment SYSTEMTIME can hold: years 1601-30827, a day the month has.
bool OracleValid(const TargetRecord& f)
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
TargetRecord CountdownReads(const TargetRecord& f)
{
    return Record(f.minute & 0xFF, f.hour & 0xFF, f.day & 0xFF, f.month & 0xFF, f.year);
}

long long OracleMinutes(const TargetRecord& f)
{
    return DaysFromCivil(f.year, f.month, f.day) * MINUTES_PER_DAY + f.hour * 60 + f.minute;
}

TargetRecord Now(SYSTEMTIME* now = nullptr)
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    if (now)
        *now = local;
    return RecordOf(local);
}

// The fields of the last whole record, read here; false when there is none.
bool LastWholeRecord(const Bytes& content, TargetRecord* f)
{
    if (content.size() < static_cast<size_t>(TARGET_RECORD_SIZE))
        return false;
    const size_t at = (content.size() / TARGET_RECORD_SIZE - 1) * TARGET_RECORD_SIZE;
    int16_t values[5];
    for (int i = 0; i < 5; ++i)
        values[i] = static_cast<int16_t>(content[at + 2 * i] | (content[at + 2 * i + 1] << 8));
    *f = {values[0], values[1], values[2], values[3], values[4]};
    return true;
}

// A valid moment in [firstYear, lastYear].
TargetRecord ValidMoment(std::mt19937& random, int firstYear, int lastYear)
{
    TargetRecord f;
    do {
        f = Record(Pick(random, 0, 59), Pick(random, 0, 23), Pick(random, 1, 31), Pick(random, 1, 12),
                   Pick(random, firstYear, lastYear));
    } while (!OracleValid(f));
    return f;
}

// A moment with one or two fields at a boundary: out of range, at the edge,
// beyond 255 with a valid low byte, or 29 February of a common or leap year.
TargetRecord BoundaryMoment(std::mt19937& random)
{
    static const int ANY[] = {0, -1, 255, 256, 32767, -32768};
    static const std::vector<int> EDGES[5] = {
        {59, 60, 256 + 30}, {23, 24, 256 + 12}, {0, 1, 28, 29, 30, 31, 32, 256 + 15},
        {0, 1, 12, 13, 256 + 6}, {1600, 1601, 30827, 30828, 0x10000 - 2026}};
    TargetRecord f = ValidMoment(random, 1601, 30827);
    int16_t* fields[5] = {&f.minute, &f.hour, &f.day, &f.month, &f.year};
    if (random() % 6 == 0) {
        static const int YEARS[] = {1700, 1900, 2026, 2100, 30827, 1604, 2000, 2400, 30824};
        f.day = 29;
        f.month = 2;
        f.year = static_cast<int16_t>(YEARS[random() % 9]);
        return f;
    }
    for (int changes = Pick(random, 1, 2); changes > 0; --changes) {
        const int which = Pick(random, 0, 4);
        const std::vector<int>& edges = EDGES[which];
        *fields[which] = static_cast<int16_t>(random() % 3 == 0 ? ANY[random() % 6] : edges[random() % edges.size()]);
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
Bytes FileEndingIn(std::mt19937& random, const TargetRecord& last)
{
    const Bytes content = RandomBytes(random, TARGET_RECORD_SIZE * static_cast<size_t>(Pick(random, 0, 3)))
        + RecordBytes(last);
    return random() % 2 ? content + RandomBytes(random, static_cast<size_t>(Pick(random, 1, 9))) : content;
}

// One test file: what kind of case it is, and its bytes.
struct TargetCase {
    std::string kind;
    Bytes content;
};

// Fixed extremes first, then random files, boundary, past and future records.
std::vector<TargetCase> TargetCases(std::mt19937& random, size_t count)
{
    const TargetRecord now = Now();
    auto fromNow = [](long long minutes) { return MinuteBytes(countdown_run::LocalMinuteFromNow(minutes)); };
    std::vector<TargetCase> cases = {
        {"empty file", Bytes()},
        {"64 KiB of random bytes", RandomBytes(random, 65536)},
        {"last moment", FileEndingIn(random, {59, 23, 31, 12, 30827})},
        {"first moment", FileEndingIn(random, {0, 0, 1, 1, 1601})},
        // A difference that a 32-bit count of minutes wraps round to 0, and
        // one that it turns negative.
        {"2^32 minutes ahead", fromNow(1LL << 32)},
        {"2^31 minutes ahead", fromNow(1LL << 31)},
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
        if (HWND box = program.WaitForMessageBox(MESSAGE_TITLE, 0)) {
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
    return GetDlgItem(countdown, COUNTDOWN_LABEL_ID);
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
                PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(COUNTDOWN_LABEL_ID, STN_CLICKED),
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

}  // namespace

// Every day of the years around the calendar's turns and range ends, with
// the fields just outside their ranges, and random records: the decoder and
// the validity check against the test's own calendar; then random files
// through the load against the last whole record.
TEST(RobustRecords, DecodeValidityAndLoadAgreeWithAnIndependentCalendar)
{
    std::mt19937 random = SeededRandom("RobustRecords");
    int failures = 0;  // a few are enough to tell
    auto check = [&](const TargetRecord& f) {
        if (failures > 10)
            return;
        const Bytes bytes = RecordBytes(f);
        const TargetRecord decoded = DecodeTargetRecord(bytes.data());
        TargetRecord expected;
        LastWholeRecord(bytes, &expected);
        EXPECT_EQ(decoded, expected);
        EXPECT_EQ(IsValidTargetMoment(decoded), OracleValid(expected)) << testing::PrintToString(expected);
        failures += !(decoded == expected && IsValidTargetMoment(decoded) == OracleValid(expected));
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
                check(Record(year % 2 ? 59 : 0, year % 2 ? 23 : 0, day, month, year));
    for (int minute = -2; minute <= 61; ++minute)
        for (int hour = -2; hour <= 25; ++hour)
            check(Record(minute, hour, 8, 12, 2026));
    for (int i = 0; i < 100000; ++i) {
        const Bytes bytes = RandomBytes(random, TARGET_RECORD_SIZE);
        TargetRecord f;
        LastWholeRecord(bytes, &f);
        check(i % 2 ? f : BoundaryMoment(random));
    }

    driver::TempFolder folder(L"robust-load");
    const std::wstring path = folder.File(L"diminuto.log");
    for (int i = 0; i < 300; ++i) {
        const Bytes content = i % 3 == 0 ? RandomBytes(random, random() % 65537)
            : FileEndingIn(random, i % 3 == 1 ? BoundaryMoment(random) : ValidMoment(random, 1601, 30827));
        ASSERT_TRUE(driver::WriteFileBytes(path, content));
        TargetRecord last = {};
        const bool valid = LastWholeRecord(content, &last) && OracleValid(CountdownReads(last));
        TargetRecord loaded = {};
        const LoadStatus status = LoadTargetRecord(path, &loaded);
        EXPECT_EQ(status, valid ? LOAD_OK : LOAD_NO_TARGET)
            << content.size() << " bytes ending " << Hex(content, content.size() - std::min<size_t>(content.size(), 19));
        if (status == LOAD_OK && valid) {
            EXPECT_EQ(loaded, last);
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
        TargetRecord last = {};
        const bool whole = LastWholeRecord(content, &last);
        last = CountdownReads(last);
        const bool valid = whole && OracleValid(last);
        SCOPED_TRACE(testing::Message()
                     << "file " << i << " (" << cases[i].kind << "), " << content.size()
                     << " bytes ending " << Hex(content, content.size() - std::min<size_t>(content.size(), 19))
                     << (valid ? ", valid moment " + testing::PrintToString(last) : std::string(", no valid moment")));
        CountdownRun run(L"robust");
        ASSERT_TRUE(run.WriteTarget(content));
        const long long ahead = valid ? OracleMinutes(last) - OracleMinutes(Now()) : 0;
        if (valid && ahead >= -1 && ahead <= 2)
            continue;  // too near the present to tell which side it falls on
        ASSERT_TRUE(run.Start());
        const Outcome seen = WaitForOutcome(run.Process());
        ASSERT_NE(seen.kind, Outcome::NOTHING) << "no outcome";

        if (!valid || ahead < 0) {
            ++counted[valid ? 1 : 0];
            EXPECT_EQ(seen.kind, Outcome::MESSAGE) << DescribeOutcome(seen);
            EXPECT_EQ(seen.text, valid ? COMPLETION_TEXT : NO_TARGET_TEXT);
            EXPECT_FALSE(run.CountdownShown()) << "a window beside the message";
            EndAndExpectExitZero(run.Process(), seen);
            Bytes after;
            EXPECT_EQ(driver::ReadFileBytes(run.TargetFile(), &after), !valid) << "file removed, or not";
            if (!valid) {
                EXPECT_TRUE(after == content) << "file changed";
            }
            continue;
        }

        ++counted[2];
        EXPECT_EQ(seen.kind, Outcome::COUNTING) << DescribeOutcome(seen);
        if (seen.kind == Outcome::COUNTING) {
            EXPECT_EQ(seen.text, countdown_run::ExpectedCaption(last));
            const LabelSeen label = WAIT_FOR_LABEL(seen.window);
            SYSTEMTIME read;
            const long long left = (OracleMinutes(last) - OracleMinutes(Now(&read))) * 60 - read.wSecond;
            const long long shown = label.remaining.TotalSeconds();
            // Generous: the label may lag the clock by a tick or two.
            EXPECT_TRUE(label.shown && shown <= left + 120 && shown >= left - 120)
                << "label \"" << Narrow(label.text) << "\" for " << left << " seconds left";
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
    const std::wstring file = folder.File(L"diminuto.log");
    driver::Program setdate;
    ASSERT_TRUE(setdate.Start(folder.AddProgram(L"setdate.exe")));
    HWND window = setdate.WaitForWindow(SETDATE_CAPTION);
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "no setdate window";

    // The same day (the 28th at most) and month of the next year.
    HWND datePicker = GetDlgItem(window, DATE_PICKER_ID);
    SYSTEMTIME now;
    GetLocalTime(&now);
    TYPE_INTO_PICKER(datePicker, {now.wDay > 28 ? 28 : now.wDay, now.wMonth, now.wYear + 1});
    const std::wstring nextYear = std::to_wstring(now.wYear + 1);
    ASSERT_TRUE(driver::WaitUntil([&] {
        return driver::WindowText(datePicker).find(nextYear) != std::wstring::npos;
    })) << "date picker shows " << Narrow(driver::WindowText(datePicker));

    std::atomic<int> saves[2] = {{0}, {0}};  // stored, errors
    // Posts "Guardar" and closes the box it brings; true for success.
    auto save = [&]() -> bool {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(SAVE_BUTTON_ID, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, SAVE_BUTTON_ID)));
        HWND box = NULL;
        bool saved = false;
        EXPECT_TRUE(driver::WaitUntil([&] {
            box = setdate.WaitForMessageBox(MESSAGE_TITLE, 0);
            saved = box != NULL;
            if (!box)
                box = setdate.WaitForMessageBox(ERROR_TITLE, 0);
            return box != NULL || !setdate.IsRunning();
        }, driver::WAIT_MS, 5)) << "no box after Guardar";
        if (!box)
            return false;
        const std::wstring text = driver::MessageBoxText(box);
        EXPECT_EQ(saved ? text : text.substr(0, 5), saved ? SAVED_TEXT : L"Err: ");
        driver::CloseMessageBox(box);
        driver::WaitUntil([&] { return !IsWindow(box); }, driver::WAIT_MS, 5);
        ++saves[saved ? 0 : 1];
        return saved;
    };

    ASSERT_TRUE(save()) << "the first save, alone, failed";
    Bytes stored;
    TargetRecord target = {};
    ASSERT_TRUE(driver::ReadFileBytes(file, &stored));
    ASSERT_EQ(stored.size(), static_cast<size_t>(TARGET_RECORD_SIZE)) << Hex(stored, 0);
    ASSERT_TRUE(LastWholeRecord(stored, &target) && OracleValid(target)) << Hex(stored, 0);
    // At least a day: 31 December goes to 1 January of the next year.
    ASSERT_GE(OracleMinutes(target) - OracleMinutes(Now()), MINUTES_PER_DAY - 2)
        << "stored " << testing::PrintToString(target) << ", not a day ahead";
    const std::wstring caption = countdown_run::ExpectedCaption(target);

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
                EXPECT_EQ(seen.text, caption);
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
    EXPECT_TRUE(driver::ReadFileBytes(file, &stored) && stored == RecordBytes(target))
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
    ASSERT_TRUE(run.WriteTarget(MinuteBytes(target)));
    ASSERT_TRUE(run.Start());
    HWND first = run.WaitForCountdown();
    ASSERT_NE(first, static_cast<HWND>(NULL)) << "no first countdown";
    driver::Program second;
    ASSERT_TRUE(second.Start(run.ProgramPath()));
    const Outcome seen = WaitForOutcome(second);
    ASSERT_EQ(seen.kind, Outcome::COUNTING) << DescribeOutcome(seen);
    EXPECT_EQ(seen.text, countdown_run::ExpectedCaption(target));

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(first); })) << "first not hidden";
    EXPECT_TRUE(IsWindowVisible(seen.window)) << "Alt+C hid the second too";
    const LabelSeen before = WAIT_FOR_LABEL(seen.window);
    ASSERT_TRUE(before.shown);
    const LabelSeen later = WAIT_FOR_LABEL(seen.window, L"", before.text);
    ASSERT_TRUE(later.shown) << "second stopped counting";
    EXPECT_LT(later.remaining.TotalSeconds(), before.remaining.TotalSeconds()) << "second counts up";

    EndAndExpectExitZero(second, seen);  // the only window at that place now
    EXPECT_TRUE(run.Process().IsRunning()) << "the click ended the first as well";
    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(first) != FALSE; }))
        << "first not shown again";
    EndAndExpectExitZero(run.Process(), {Outcome::COUNTING, first, L""});
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "a click removed the target file";
}
