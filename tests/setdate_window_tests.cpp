// The real setdate.exe worked from outside as a user would: pickers set by
// typed keys ("HH:mm" and "dd/MM/yyyy" in every locale), "Guardar" and
// "Salir" clicked, message boxes read and closed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

using namespace driver;

namespace {

using Bytes = std::vector<unsigned char>;

const wchar_t CAPTION[] = L"Configura tu Tiempo ...";
const wchar_t SAVED_TITLE[] = L"Programador ...";
const wchar_t SAVED_TEXT[] = L"Archivado fichero de configuracion ...\r\nGracias ...";
const wchar_t ERROR_TITLE[] = L"Velto Soft";

struct Moment {
    int year, month, day, hour, minute;
};

const Moment DECEMBER_8_2030_2130 = {2030, 12, 8, 21, 30};
const Bytes DECEMBER_8_2030_2130_BYTES = {0x1E, 0, 0x15, 0, 0x08, 0, 0x0C, 0, 0xEE, 0x07};

// The record bytes of a moment: minute, hour, day, month, year, 16 bits each.
Bytes RecordOf(const Moment& m)
{
    Bytes bytes;
    for (int field : {m.minute, m.hour, m.day, m.month, m.year}) {
        bytes.push_back(static_cast<unsigned char>(field & 0xFF));
        bytes.push_back(static_cast<unsigned char>(field >> 8));
    }
    return bytes;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char code[12];
            snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

std::string Hex(const Bytes& bytes)
{
    std::string out;
    for (unsigned char b : bytes) {
        char two[4];
        snprintf(two, sizeof two, "%02X ", b);
        out += two;
    }
    return out;
}

std::wstring UserLocaleText(LCTYPE type)
{
    wchar_t text[128] = L"";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, ARRAYSIZE(text));
    return text;
}

// The texts the pickers show for a moment, in every locale.
std::wstring ExpectedTimeText(const Moment& m)
{
    wchar_t text[16];
    swprintf(text, ARRAYSIZE(text), L"%02d:%02d", m.hour, m.minute);
    return text;
}

std::wstring ExpectedDateText(const Moment& m)
{
    wchar_t text[16];
    swprintf(text, ARRAYSIZE(text), L"%02d/%02d/%04d", m.day, m.month, m.year);
    return text;
}

// Clicks the picker's first field and types the fields in turn, two
// digits (the year four), moving on with the right arrow key.
void TypeIntoPicker(HWND picker, std::initializer_list<int> fields)
{
    RECT rect;
    GetWindowRect(picker, &rect);
    ClickAt(rect.left + 8, (rect.top + rect.bottom) / 2);
    for (int field : fields) {
        wchar_t text[8];
        swprintf(text, ARRAYSIZE(text), L"%0*d", field >= 100 ? 4 : 2, field);
        TypeText(text);
        PressKey(VK_RIGHT);
    }
}

// One run of setdate.exe in a fresh folder.
class SetdateRun {
public:
    explicit SetdateRun(const std::wstring& folderName = L"setdate")
        : folder_(folderName), target_(folder_.File(L"diminuto.log")) {}

    void Start(const std::wstring& exePath = L"")
    {
        ASSERT_TRUE(program_.Start(exePath.empty() ? folder_.AddProgram(L"setdate.exe") : exePath));
        window_ = program_.WaitForWindow(CAPTION);
        ASSERT_TRUE(window_ != NULL) << "no configurator window";
    }

    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // Sets both pickers by keys and waits until they show the moment.
    void SetPickers(const Moment& m)
    {
        TypeIntoPicker(Control(1001), {m.hour, m.minute});
        // Twice, so that a day the month in between lacks is typed again.
        TypeIntoPicker(Control(1003), {m.day, m.month, m.year});
        TypeIntoPicker(Control(1003), {m.day, m.month, m.year});
        const std::wstring time = ExpectedTimeText(m), date = ExpectedDateText(m);
        EXPECT_TRUE(WaitUntil([&] {
            return WindowText(Control(1001)) == time && WindowText(Control(1003)) == date;
        })) << "pickers show \"" << Narrow(WindowText(Control(1001))) << "\" and \""
            << Narrow(WindowText(Control(1003))) << "\", expected \"" << Narrow(time) << "\" and \""
            << Narrow(date) << "\"" << (program_.IsRunning() ? "" : "; setdate has ended");
    }

    // Clicks "Guardar" and returns the text of the box titled `title`,
    // closed again, or a note saying that none came.
    std::wstring Save(const wchar_t* title)
    {
        ClickWindow(Control(1005));
        HWND box = program_.WaitForMessageBox(title);
        if (box == NULL) {
            DWORD code = 0;
            GetExitCodeProcess(program_.Handle(), &code);
            wchar_t state[32];
            swprintf(state, ARRAYSIZE(state), L"; exit code %lu", code);
            return L"(no message box \"" + std::wstring(title) + L"\"" + state + L")";
        }
        const std::wstring text = MessageBoxText(box);
        CloseMessageBox(box);
        WaitUntil([&] { return !IsWindow(box); });
        return text;
    }

    void ExpectStillOpen() const
    {
        EXPECT_TRUE(program_.IsRunning());
        EXPECT_TRUE(IsWindow(window_) && IsWindowVisible(window_));
    }

    // Clicks "Salir" and expects exit code 0.
    void Exit()
    {
        ClickWindow(Control(1006));
        DWORD code = 1234;
        ASSERT_TRUE(program_.WaitForExit(&code));
        EXPECT_EQ(0u, code);
    }

    Bytes TargetBytes() const
    {
        Bytes bytes;
        ReadFileBytes(target_, &bytes);
        return bytes;
    }

    TempFolder folder_;
    const std::wstring target_;
    Program program_;
    HWND window_ = NULL;
};

}  // namespace

TEST(SetdateWindow, ControlsInTabOrderWithTheirClassesTextsAndStyles)
{
    SetdateRun run;
    run.Start();
    // WS_POPUP, WS_CAPTION, DS_MODALFRAME, DS_SETFONT, DS_NOFAILCREATE and
    // DS_3DLOOK, and no WS_SYSMENU (no close box); the mask leaves out the
    // bits the system adds to a shown window (WS_VISIBLE, WS_CLIPSIBLINGS).
    const DWORD style = static_cast<DWORD>(GetWindowLongW(run.window_, GWL_STYLE));
    EXPECT_EQ(0x80C000D4u, style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | 0xFFu)) << std::hex << style;

    const struct {
        int id;
        const wchar_t* className;
        const wchar_t* text;  // NULL: not compared (a picker shows its value)
        DWORD style;
        DWORD exStyle;
    } controls[] = {
        {1001, L"SysDateTimePick32", NULL, 0x50010009, WS_EX_CLIENTEDGE},
        {1002, L"Static", L"Hora", 0x50000001, 0},
        {1003, L"SysDateTimePick32", NULL, 0x50010000, WS_EX_CLIENTEDGE},
        {1004, L"Static", L"Fecha", 0x50000001, 0},
        {1005, L"Button", L"Guardar", 0x50010000, 0},
        {1006, L"Button", L"Salir", 0x50010000, 0}};
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
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_TRUE(child == NULL) << "more than six controls";

    // Tab stops: time picker, date picker, "Guardar", "Salir", round again.
    HWND tabbed = run.Control(1001);
    for (int id : {1003, 1005, 1006, 1001}) {
        tabbed = GetNextDlgTabItem(run.window_, tabbed, FALSE);
        EXPECT_EQ(id, GetDlgCtrlID(tabbed));
    }
    // The time picker has an up-down control and no drop-down calendar.
    EXPECT_TRUE(FindWindowExW(run.Control(1001), NULL, L"msctls_updown32", NULL) != NULL);
    EXPECT_TRUE(FindWindowExW(run.Control(1003), NULL, L"msctls_updown32", NULL) == NULL);
    run.Exit();
}

TEST(SetdateWindow, SaveStoresThePickersMomentAndConfirms)
{
    SetdateRun run;
    run.Start();
    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(run.TargetBytes()));
    run.ExpectStillOpen();
    run.Exit();
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(run.TargetBytes()));
}

TEST(SetdateWindow, SecondSaveKeepsOneRecordWithTheSecondValuesWithoutSeconds)
{
    SetdateRun run;
    run.Start();
    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    const Moment morning = {2031, 11, 25, 9, 5};
    run.SetPickers(morning);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(RecordOf(morning)), Hex(run.TargetBytes()));
    // Midnight and noon through the same keys.
    const Moment midnight = {2032, 2, 29, 0, 0};
    run.SetPickers(midnight);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(RecordOf(midnight)), Hex(run.TargetBytes()));
    const Moment noon = {2032, 1, 31, 12, 59};
    run.SetPickers(noon);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(RecordOf(noon)), Hex(run.TargetBytes()));
    run.Exit();
}

TEST(SetdateWindow, ReadOnlyHiddenOldTargetIsReplaced)
{
    SetdateRun run;
    ASSERT_TRUE(WriteFileBytes(run.target_, Bytes(25, 0x41)));
    ASSERT_TRUE(SetFileAttributesW(run.target_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    run.Start();
    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(run.TargetBytes()));
    const DWORD attributes = GetFileAttributesW(run.target_.c_str());
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) << std::hex << attributes;
    run.Exit();
}

TEST(SetdateWindow, TargetThatIsAFolderShowsError52)
{
    SetdateRun run;
    ASSERT_TRUE(CreateDirectoryW(run.target_.c_str(), NULL));
    run.Start();
    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(L"Err:  52 Bad file name or number", run.Save(ERROR_TITLE));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(run.target_.c_str()));
    EXPECT_TRUE(GetFileAttributesW(run.target_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    run.ExpectStillOpen();
    // The next save works once the folder is gone.
    ASSERT_TRUE(RemoveDirectoryW(run.target_.c_str()));
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(run.TargetBytes()));
    run.Exit();
}

// The other program holds the file open (share mode 0): the delete and the
// open fail, the old record stays as it was.
TEST(SetdateWindow, TargetHeldOpenShowsError52AndStaysUnchanged)
{
    SetdateRun run;
    const Bytes old = RecordOf({2029, 1, 2, 3, 4});
    ASSERT_TRUE(WriteFileBytes(run.target_, old));
    run.Start();
    run.SetPickers(DECEMBER_8_2030_2130);
    HANDLE held = CreateFileW(run.target_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(L"Err:  52 Bad file name or number", run.Save(ERROR_TITLE));
    CloseHandle(held);
    EXPECT_EQ(Hex(old), Hex(run.TargetBytes()));
    run.ExpectStillOpen();
    run.Exit();
}

TEST(SetdateWindow, SalirWritesNothingAndExitsWithZero)
{
    SetdateRun empty;
    empty.Start();
    empty.Exit();
    EXPECT_FALSE(FileIsThere(empty.target_));

    SetdateRun existing;
    const Bytes old = RecordOf({2029, 1, 2, 3, 4});
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
    HWND datePicker = run.Control(1003);
    ClickWindow(datePicker);
    const DWORD thread = GetWindowThreadProcessId(run.window_, NULL);
    auto focusOf = [&] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread, &info);
        return info.hwndFocus;
    };
    ASSERT_TRUE(WaitUntil([&] { return focusOf() == datePicker; }));
    ForegroundDriverWindow();
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() != run.window_; }));
    // Activation by a click on the caption, which does not move the focus itself.
    RECT rect;
    GetWindowRect(run.window_, &rect);
    ClickAt((rect.left + rect.right) / 2, rect.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 2);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == run.window_; }));
    EXPECT_TRUE(WaitUntil([&] { return focusOf() == datePicker; }))
        << "focus on control " << GetDlgCtrlID(focusOf());
    run.Exit();
}

// Folder names outside the ANSI code page, nested so deep that the program's
// path has the longest length a program can start from (MAX_PATH - 1) and
// the target's path is longer than that.
TEST(SetdateWindow, SavesInADeepFolderWithNonAnsiNames)
{
    SetdateRun run(L"setdate-\u65E5\u672C\u8A9E-\u0416\u0438\u0437\u043D\u044C-\u03A9");
    const std::wstring exeName = L"setdate.exe";
    const size_t folderLength = MAX_PATH - 1 - exeName.size();
    std::wstring folder = run.folder_.Path();
    const std::wstring part = L"carpeta-\u00F1-\u4E2D\u6587-\u0645\u062C\u0644\u062F-0123456789";
    while (folder.size() < folderLength) {
        const size_t room = folderLength - folder.size() - 1;  // one for the backslash
        folder += (room >= part.size() + 8 ? part : std::wstring(room, L'x')) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL)) << GetLastError();
    }
    const std::wstring exe = folder + exeName;
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), exe.size());
    ASSERT_TRUE(CopyFileW(BuiltProgramPath(L"setdate.exe").c_str(), exe.c_str(), FALSE));
    const std::wstring target = folder + L"diminuto.log";
    ASSERT_GE(target.size(), static_cast<size_t>(MAX_PATH));
    run.Start(exe);
    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    Bytes bytes;
    EXPECT_TRUE(ReadFileBytes(L"\\\\?\\" + target, &bytes));
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(bytes));
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
        const std::wstring name = UserLocaleText(LOCALE_SNAME);
        ASSERT_EQ(expected, Narrow(name)) << "user locale";
    }
    ASSERT_TRUE(SetFakeClock({2026, 12, 8, 20, 45, 37, 1})) << "the fake clock does not follow";
    SetdateRun run;
    run.Start();
    EXPECT_TRUE(WaitUntil([&] {
        return WindowText(run.Control(1001)) == L"20:45" && WindowText(run.Control(1003)) == L"08/12/2026";
    })) << "pickers show \"" << Narrow(WindowText(run.Control(1001))) << "\" and \""
        << Narrow(WindowText(run.Control(1003))) << "\"";
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ("2D 00 14 00 08 00 0C 00 EA 07 ", Hex(run.TargetBytes()));

    run.SetPickers(DECEMBER_8_2030_2130);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(DECEMBER_8_2030_2130_BYTES), Hex(run.TargetBytes()));
    const Moment afternoon = {2031, 10, 11, 21, 5};  // 10/11 is ambiguous between orders
    run.SetPickers(afternoon);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    EXPECT_EQ(Hex(RecordOf(afternoon)), Hex(run.TargetBytes()));
    run.Exit();
}

// setdate stores a moment (next year's 8 December); countdown started
// beside it shows it.
TEST(WholeSystem, CountdownShowsTheMomentSetdateStored)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const Moment nextYear = {now.wYear + 1, 12, 8, 21, 30};
    SetdateRun run;
    run.Start();
    run.SetPickers(nextYear);
    EXPECT_EQ(SAVED_TEXT, run.Save(SAVED_TITLE));
    run.Exit();

    Program countdown;
    ASSERT_TRUE(countdown.Start(run.folder_.AddProgram(L"countdown.exe")));
    HWND window = countdown.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    wchar_t caption[64];
    swprintf(caption, ARRAYSIZE(caption), L"Lo que falta para el dia 08/12/%d a las 21:30", nextYear.year);
    EXPECT_EQ(caption, WindowText(window));
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
    ASSERT_TRUE(WriteFileBytes(setdate.target_, RecordOf({2026, 12, 8, 20, 47})));
    const std::wstring countdownExe = setdate.folder_.AddProgram(L"countdown.exe");
    Program first;
    ASSERT_TRUE(first.Start(countdownExe));
    HWND window = first.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    EXPECT_EQ(L"Lo que falta para el dia 08/12/2026 a las 20:47", WindowText(window));

    setdate.Start();
    const Moment later = {2026, 12, 9, 10, 0};
    setdate.SetPickers(later);
    EXPECT_EQ(SAVED_TEXT, setdate.Save(SAVED_TITLE));
    setdate.Exit();

    ASSERT_TRUE(SetFakeClock({2026, 12, 8, 20, 46, 59, 1})) << "the fake clock does not follow";
    HWND box = first.WaitForMessageBox(L"Programador ...");
    ASSERT_TRUE(box != NULL) << "no completion message";
    EXPECT_EQ(L"Enhorabuena ya hemos llegado a la fecha deseada ...", MessageBoxText(box));
    CloseMessageBox(box);
    DWORD code = 1234;
    EXPECT_TRUE(first.WaitForExit(&code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Hex(RecordOf(later)), Hex(setdate.TargetBytes())) << "the new target was not kept";

    Program next;
    ASSERT_TRUE(next.Start(countdownExe));
    window = next.WaitForWindow(L"Lo que falta");
    ASSERT_TRUE(window != NULL) << "no countdown window";
    EXPECT_EQ(L"Lo que falta para el dia 09/12/2026 a las 10:00", WindowText(window));
    HWND label = GetDlgItem(window, 1001);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(label) == L"0d 13h 13m 1s "; }))
        << "label \"" << Narrow(WindowText(label)) << "\"";
    ClickWindow(label);  // a click ends it
    EXPECT_TRUE(next.WaitForExit(&code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(Hex(RecordOf(later)), Hex(setdate.TargetBytes()));
}
