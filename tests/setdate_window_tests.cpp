// The real setdate.exe worked from outside as a user would: pickers set by
// typed keys ("HH:mm" and "dd/MM/yyyy" in every locale), "Guardar" and
// "Salir" clicked, message boxes read and closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "test_support.h"

using namespace driver;

namespace {

const TargetRecord DECEMBER_8_2030_2130 = {30, 21, 8, 12, 2030};
const Bytes DECEMBER_8_2030_2130_BYTES = {0x1E, 0, 0x15, 0, 0x08, 0, 0x0C, 0, 0xEE, 0x07};

// One run of setdate.exe in a fresh folder.
class SetdateRun {
public:
    explicit SetdateRun(const std::wstring& folderName = L"setdate")
        : folder_(folderName), target_(folder_.File(L"diminuto.log")) {}

    void Start(const std::wstring& exePath = L"")
    {
        ASSERT_TRUE(program_.Start(exePath.empty() ? folder_.AddProgram(L"setdate.exe") : exePath));
        window_ = program_.WaitForWindow(SETDATE_CAPTION);
        ASSERT_TRUE(window_ != NULL) << "no configurator window";
    }

    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // Sets both pickers by keys and waits until they show the moment, in
    // the same forms in every locale.
    void SetPickers(const TargetRecord& m)
    {
        TYPE_INTO_PICKER(Control(TIME_PICKER_ID), {m.hour, m.minute});
        // Twice, so that a day the month in between lacks is typed again.
        TYPE_INTO_PICKER(Control(DATE_PICKER_ID), {m.day, m.month, m.year});
        TYPE_INTO_PICKER(Control(DATE_PICKER_ID), {m.day, m.month, m.year});
        wchar_t time[16], date[16];
        swprintf(time, ARRAYSIZE(time), L"%02d:%02d", m.hour, m.minute);
        swprintf(date, ARRAYSIZE(date), L"%02d/%02d/%04d", m.day, m.month, m.year);
        EXPECT_TRUE(WaitUntil([&] {
            return WindowText(Control(TIME_PICKER_ID)) == time && WindowText(Control(DATE_PICKER_ID)) == date;
        })) << "pickers show \"" << Narrow(WindowText(Control(TIME_PICKER_ID))) << "\" and \""
            << Narrow(WindowText(Control(DATE_PICKER_ID))) << "\", expected \"" << Narrow(time)
            << "\" and \"" << Narrow(date) << "\"" << (program_.IsRunning() ? "" : "; setdate has ended");
    }

    // Clicks "Guardar" and returns the text of the box titled `title`,
    // closed again, or a note saying that none came.
    std::wstring Save(const wchar_t* title)
    {
        ClickWindow(Control(SAVE_BUTTON_ID));
        HWND box = program_.WaitForMessageBox(title);
        if (box == NULL) {
            DWORD code = 0;
            GetExitCodeProcess(program_.Handle(), &code);
            return L"(no message box \"" + std::wstring(title) + L"\"; exit code " + std::to_wstring(code) + L")";
        }
        const std::wstring text = MessageBoxText(box);
        CloseMessageBox(box);
        WaitUntil([&] { return !IsWindow(box); });
        return text;
    }

    // Sets the pickers, saves, and expects the confirmation and the file to
    // hold just that moment's record.
    void Store(const TargetRecord& m)
    {
        SetPickers(m);
        EXPECT_EQ(Save(MESSAGE_TITLE), SAVED_TEXT);
        EXPECT_EQ(Hex(TargetBytes()), Hex(RecordBytes(m)));
    }

    void ExpectStillOpen() const
    {
        EXPECT_TRUE(program_.IsRunning());
        EXPECT_TRUE(IsWindow(window_) && IsWindowVisible(window_));
    }

    // Clicks "Salir" and expects exit code 0.
    void Exit()
    {
        ClickWindow(Control(EXIT_BUTTON_ID));
        DWORD code = 1234;
        ASSERT_TRUE(program_.WaitForExit(&code));
        EXPECT_EQ(0u, code);
    }

    Bytes TargetBytes() const
    {
        Bytes bytes;
        ReadFileBytes(L"\\\\?\\" + target_, &bytes);
        return bytes;
    }

    TempFolder folder_;
    std::wstring target_;
    Program program_;
    HWND window_ = NULL;
};

}  // namespace

// The window's client area 160 x 60 dialog units, its corner at 77, 73 (the
// dialog manager places the client area there); its controls in tab order
// with their classes, texts, styles and places.
TEST(SetdateWindow, ControlsInTabOrderWithTheirClassesTextsStylesAndPlaces)
{
    SetdateRun run;
    run.Start();
    // WS_POPUP, WS_CAPTION, DS_MODALFRAME, DS_SETFONT, DS_NOFAILCREATE and
    // DS_3DLOOK, and no WS_SYSMENU (no close box); the mask leaves out the
    // bits the system adds to a shown window (WS_VISIBLE, WS_CLIPSIBLINGS).
    const DWORD style = static_cast<DWORD>(GetWindowLongW(run.window_, GWL_STYLE));
    EXPECT_EQ(0x80C000D4u, style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | 0xFFu)) << std::hex << style;
    EXPECT_EQ(ClientRect(run.window_), DialogUnits(0, 0, 160, 60));
    POINT client = {0, 0};
    ClientToScreen(run.window_, &client);
    const RECT corner = DialogUnits(77, 73, 0, 0);
    EXPECT_EQ(client.x, corner.left);
    EXPECT_EQ(client.y, corner.top);

    const struct {
        int id;
        const wchar_t* className;
        const wchar_t* text;  // NULL: not compared (a picker shows its value)
        DWORD style;
        DWORD exStyle;
        int x, y, cx, cy;  // dialog units
    } controls[] = {
        {TIME_PICKER_ID, L"SysDateTimePick32", NULL, 0x50010009, WS_EX_CLIENTEDGE, 5, 15, 55, 20},
        {TIME_LABEL_ID, L"Static", L"Hora", 0x50000001, 0, 5, 0, 55, 15},
        {DATE_PICKER_ID, L"SysDateTimePick32", NULL, 0x50010000, WS_EX_CLIENTEDGE, 62, 15, 98, 20},
        {DATE_LABEL_ID, L"Static", L"Fecha", 0x50000001, 0, 62, 0, 98, 15},
        {SAVE_BUTTON_ID, L"Button", L"Guardar", 0x50010000, 0, 4, 40, 40, 15},
        {EXIT_BUTTON_ID, L"Button", L"Salir", 0x50010000, 0, 118, 40, 40, 15}};
    HWND child = GetWindow(run.window_, GW_CHILD);
    for (const auto& expected : controls) {
        SCOPED_TRACE(expected.id);
        ASSERT_TRUE(child != NULL);
        EXPECT_EQ(expected.id, GetDlgCtrlID(child));
        wchar_t className[64] = L"";
        GetClassNameW(child, className, ARRAYSIZE(className));
        EXPECT_EQ(0, _wcsicmp(expected.className, className)) << Narrow(className);
        if (expected.text) {
            EXPECT_EQ(expected.text, WindowText(child));
        }
        EXPECT_EQ(expected.style, static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)))
            << std::hex << GetWindowLongW(child, GWL_STYLE);
        EXPECT_EQ(expected.exStyle, static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)) & 0xFFFF);
        EXPECT_EQ(RectInParent(child), DialogUnits(expected.x, expected.y, expected.cx, expected.cy));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_TRUE(child == NULL) << "more than six controls";

    // Tab stops: time picker, date picker, "Guardar", "Salir", round again.
    HWND tabbed = run.Control(TIME_PICKER_ID);
    for (int id : {DATE_PICKER_ID, SAVE_BUTTON_ID, EXIT_BUTTON_ID, TIME_PICKER_ID}) {
        tabbed = GetNextDlgTabItem(run.window_, tabbed, FALSE);
        EXPECT_EQ(id, GetDlgCtrlID(tabbed));
    }
    // The time picker has an up-down control and no drop-down calendar.
    EXPECT_TRUE(FindWindowExW(run.Control(TIME_PICKER_ID), NULL, L"msctls_updown32", NULL) != NULL);
    EXPECT_TRUE(FindWindowExW(run.Control(DATE_PICKER_ID), NULL, L"msctls_updown32", NULL) == NULL);
    run.Exit();
}

// Each row: what stands at the target's place when "Guardar" is clicked.
// An old file, read-only and hidden too, is replaced by the one record,
// its attributes cleared. A folder there, or the file held open by the
// other program (share mode 0: the delete fails, the open too after its
// retries), gives error 52 and stays as it was; once it is gone the next
// save works. An old file held by a program that shares its delete (an
// indexer, a scanner) is only marked for deletion until that program lets
// go, 400 ms after the save reached it: the save waits for the name. The window stays open
// throughout, and "Salir" leaves the file as saved.
TEST(SetdateWindow, SaveReplacesTheOldTargetOrReportsError52)
{
    enum Place { NOTHING, OLD_READ_ONLY_HIDDEN, FOLDER, HELD, HELD_SHARING_DELETE };
    const struct { const char* name; Place place; } rows[] = {
        {"nothing", NOTHING}, {"old file, read-only and hidden", OLD_READ_ONLY_HIDDEN},
        {"a folder", FOLDER}, {"old file held open", HELD},
        {"old file, hidden, held sharing its delete", HELD_SHARING_DELETE}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetdateRun run;
        const Bytes old = row.place == HELD ? RecordBytes({4, 3, 2, 1, 2029}) : Bytes(25, 0x41);
        ASSERT_TRUE(row.place != FOLDER || CreateDirectoryW(run.target_.c_str(), NULL));
        ASSERT_TRUE(row.place == NOTHING || row.place == FOLDER || WriteFileBytes(run.target_, old));
        ASSERT_TRUE(row.place != OLD_READ_ONLY_HIDDEN
                    || SetFileAttributesW(run.target_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(row.place != HELD_SHARING_DELETE || SetFileAttributesW(run.target_.c_str(), FILE_ATTRIBUTE_HIDDEN));
        run.Start();
        run.SetPickers(DECEMBER_8_2030_2130);
        std::optional<HeldFile> held;
        if (row.place == HELD)
            held.emplace(run.target_);
        std::thread letGo;
        if (row.place == HELD_SHARING_DELETE) {
            held.emplace(run.target_, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
            // The attributes reset shows the save at the delete.
            letGo = std::thread([&] {
                WaitUntil([&] { return GetFileAttributesW(run.target_.c_str()) == FILE_ATTRIBUTE_ARCHIVE; });
                Sleep(400);
                held->Release();
            });
        }

        if (row.place == FOLDER || row.place == HELD) {
            EXPECT_EQ(run.Save(ERROR_TITLE), ERROR_52_TEXT);
            if (row.place == FOLDER) {
                EXPECT_TRUE(GetFileAttributesW(run.target_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
                ASSERT_TRUE(RemoveDirectoryW(run.target_.c_str()));
            } else {
                held->Release();
                EXPECT_EQ(Hex(run.TargetBytes()), Hex(old));
            }
            run.ExpectStillOpen();
        }
        EXPECT_EQ(run.Save(MESSAGE_TITLE), SAVED_TEXT);
        if (letGo.joinable())
            letGo.join();
        EXPECT_EQ(Hex(run.TargetBytes()), Hex(DECEMBER_8_2030_2130_BYTES));
        const DWORD attributes = GetFileAttributesW(run.target_.c_str());
        EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) << std::hex << attributes;
        run.ExpectStillOpen();
        run.Exit();
        EXPECT_EQ(Hex(run.TargetBytes()), Hex(DECEMBER_8_2030_2130_BYTES));
    }
}

// Each save leaves one record, the pickers' minute without seconds: the
// evening, the morning, midnight and noon through the same keys.
TEST(SetdateWindow, EachSaveKeepsOneRecordWithTheLastValues)
{
    SetdateRun run;
    run.Start();
    for (const TargetRecord& m : {DECEMBER_8_2030_2130, TargetRecord{5, 9, 25, 11, 2031},
                                  TargetRecord{0, 0, 29, 2, 2032}, TargetRecord{59, 12, 31, 1, 2032}})
        run.Store(m);
    run.Exit();
}

TEST(SetdateWindow, SalirWritesNothingAndExitsWithZero)
{
    SetdateRun empty;
    empty.Start();
    empty.Exit();
    EXPECT_FALSE(FileIsThere(empty.target_));

    SetdateRun existing;
    const Bytes old = RecordBytes({4, 3, 2, 1, 2029});
    ASSERT_TRUE(WriteFileBytes(existing.target_, old));
    existing.Start();
    existing.SetPickers(DECEMBER_8_2030_2130);
    existing.Exit();
    EXPECT_EQ(Hex(old), Hex(existing.TargetBytes()));
}

TEST(SetdateWindow, FocusComesBackAfterDeactivation)
{
    SetdateRun run;
    run.Start();
    HWND datePicker = run.Control(DATE_PICKER_ID);
    ClickWindow(datePicker);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(run.window_) == datePicker; }));
    ForegroundDriverWindow();
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() != run.window_; }));
    // Activation by a click on the caption, which does not move the focus itself.
    RECT rect;
    GetWindowRect(run.window_, &rect);
    ClickAt((rect.left + rect.right) / 2, rect.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.window_; }));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(run.window_) == datePicker; }))
        << "focus on control " << GetDlgCtrlID(FocusOf(run.window_));
    run.Exit();
}

// Folder names outside the ANSI code page, nested so deep that the program's
// path has the longest length a program can start from (MAX_PATH - 1) and
// the target's path is longer than that.
TEST(SetdateWindow, SavesInADeepFolderWithNonAnsiNames)
{
    SetdateRun run(L"setdate-\u65E5\u672C\u8A9E-\u0416\u0438\u0437\u043D\u044C-\u03A9");
    const std::wstring exeName = L"setdate.exe";
    const std::wstring folder = DEEP_FOLDER(run.folder_.Path(), MAX_PATH - 1 - exeName.size(),
                                            L"carpeta-\u00F1-\u4E2D\u6587-\u0645\u062C\u0644\u062F-0123456789");
    const std::wstring exe = folder + exeName;
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), exe.size());
    ASSERT_TRUE(CopyFileW(BuiltProgramPath(L"setdate.exe").c_str(), exe.c_str(), FALSE));
    run.target_ = folder + L"diminuto.log";
    ASSERT_GE(run.target_.size(), static_cast<size_t>(MAX_PATH));
    run.Start(exe);
    run.Store(DECEMBER_8_2030_2130);
    run.Exit();
}

// Run once per locale (LC_ALL) on the fake clock; DIMINUTO_EXPECT_LOCALE
// names the locale the run must see, so a locale that is not installed
// cannot pass unnoticed. The pickers start at the clock's minute, shown in
// the same forms as everywhere, and "Guardar" stores exactly that minute.
TEST(SetdateLocale, PickersShowTheClockAndSaveStoresTheSameRecordInThisLocale)
{
    const char* expected = getenv("DIMINUTO_EXPECT_LOCALE");
    if (expected) {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SNAME, name, ARRAYSIZE(name));
        ASSERT_EQ(expected, Narrow(name)) << "user locale";
    }
    ASSERT_TRUE(SetFakeClock({2026, 12, 8, 20, 45, 37, 1})) << "the fake clock does not follow";
    SetdateRun run;
    run.Start();
    EXPECT_TRUE(WaitUntil([&] {
        return WindowText(run.Control(TIME_PICKER_ID)) == L"20:45"
            && WindowText(run.Control(DATE_PICKER_ID)) == L"08/12/2026";
    })) << "pickers show \"" << Narrow(WindowText(run.Control(TIME_PICKER_ID))) << "\" and \""
        << Narrow(WindowText(run.Control(DATE_PICKER_ID))) << "\"";
    EXPECT_EQ(run.Save(MESSAGE_TITLE), SAVED_TEXT);
    EXPECT_EQ("2D 00 14 00 08 00 0C 00 EA 07 ", Hex(run.TargetBytes()));

    run.Store(DECEMBER_8_2030_2130);
    run.Store({5, 21, 11, 10, 2031});  // 10/11 is ambiguous between orders
    run.Exit();
}

// setdate stores a moment (next year's 8 December); countdown started
// beside it shows it.
TEST(WholeSystem, CountdownShowsTheMomentSetdateStored)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const TargetRecord nextYear = {30, 21, 8, 12, static_cast<int16_t>(now.wYear + 1)};
    SetdateRun run;
    run.Start();
    run.Store(nextYear);
    run.Exit();

    Program countdown;
    ASSERT_TRUE(countdown.Start(run.folder_.AddProgram(L"countdown.exe")));
    HWND window = countdown.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    EXPECT_EQ(L"Lo que falta para el dia 08/12/" + std::to_wstring(nextYear.year) + L" a las 21:30",
              WindowText(window));
    ClickWindow(window);  // a click ends it
    DWORD code = 1234;
    EXPECT_TRUE(countdown.WaitForExit(&code));
    EXPECT_EQ(0u, code);
}

// On the fake clock: while a countdown counts to 20:47, setdate stores a
// later target. At 20:47 the countdown congratulates but keeps the new file,
// and the next countdown counts to the new target.
TEST(WholeSystemFakeClock, TargetStoredWhileCountingIsKeptAndCountedNext)
{
    ASSERT_TRUE(SetFakeClock({2026, 12, 8, 20, 45, 30, 1})) << "the fake clock does not follow";
    SetdateRun setdate;
    ASSERT_TRUE(WriteFileBytes(setdate.target_, RecordBytes({47, 20, 8, 12, 2026})));
    const std::wstring countdownExe = setdate.folder_.AddProgram(L"countdown.exe");
    Program first;
    ASSERT_TRUE(first.Start(countdownExe));
    HWND window = first.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    EXPECT_EQ(L"Lo que falta para el dia 08/12/2026 a las 20:47", WindowText(window));

    setdate.Start();
    const TargetRecord later = {0, 10, 9, 12, 2026};
    setdate.Store(later);
    setdate.Exit();

    ASSERT_TRUE(SetFakeClock({2026, 12, 8, 20, 46, 59, 1})) << "the fake clock does not follow";
    HWND box = first.WaitForMessageBox(MESSAGE_TITLE);
    ASSERT_TRUE(box != NULL) << "no completion message";
    EXPECT_EQ(COMPLETION_TEXT, MessageBoxText(box));
    CloseMessageBox(box);
    DWORD code = 1234;
    EXPECT_TRUE(first.WaitForExit(&code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Hex(RecordBytes(later)), Hex(setdate.TargetBytes())) << "the new target was not kept";

    Program next;
    ASSERT_TRUE(next.Start(countdownExe));
    window = next.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    EXPECT_EQ(L"Lo que falta para el dia 09/12/2026 a las 10:00", WindowText(window));
    WAIT_FOR_LABEL(window, L"0d 13h 13m 1s ");
    ClickWindow(GetDlgItem(window, COUNTDOWN_LABEL_ID));  // a click ends it
    EXPECT_TRUE(next.WaitForExit(&code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Hex(RecordBytes(later)), Hex(setdate.TargetBytes()));
}
