#include "countdown_run.h"

#include <cwchar>

#include "remaining_time.h"

namespace countdown_run {

namespace {

constexpr ULONGLONG TICKS_PER_MINUTE_100NS = 600000000ULL;
constexpr long MS_PER_DAY = 86400000L;

long MillisecondOfDay(const SYSTEMTIME& time)
{
    return time.wHour * 3600000L + time.wMinute * 60000L + time.wSecond * 1000L
        + time.wMilliseconds;
}

BOOL CALLBACK NoteShownWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->first || !IsWindowVisible(window))
        return TRUE;
    wchar_t className[64] = L"";
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (wcscmp(className, L"#32770") == 0 && driver::WindowText(window) == MESSAGE_TITLE)
        return TRUE;  // the program's message box, not its window
    search->second = true;
    return FALSE;
}

}  // namespace

SYSTEMTIME LocalMinuteFromNow(LONGLONG minutes)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = driver::FileTimeTicks(now) / TICKS_PER_MINUTE_100NS * TICKS_PER_MINUTE_100NS
        + minutes * static_cast<LONGLONG>(TICKS_PER_MINUTE_100NS);
    FILETIME file = { ticks.LowPart, ticks.HighPart };
    SYSTEMTIME moment;
    FileTimeToSystemTime(&file, &moment);
    return moment;
}

std::wstring ExpectedCaption(const TargetRecord& target)
{
    wchar_t text[80];
    swprintf(text, ARRAYSIZE(text), L"%ls%02d/%02d/%d a las %02d:%02d", CAPTION_PREFIX,
             target.day, target.month, target.year, target.hour, target.minute);
    return text;
}

std::wstring ExpectedCaption(const SYSTEMTIME& moment)
{
    return ExpectedCaption(RecordOf(moment));
}

CountdownRun::CountdownRun(const std::wstring& folderName, size_t programPathLength)
    : m_folder(folderName), m_dir(m_folder.Path())
{
    const std::wstring exeName = L"countdown.exe";
    if (programPathLength)
        m_dir = DEEP_FOLDER(m_dir, programPathLength - exeName.size(), std::wstring(200, L'p'));
    m_exe = m_dir + exeName;
    EXPECT_TRUE(CopyFileW(driver::BuiltProgramPath(L"countdown.exe").c_str(), m_exe.c_str(), FALSE))
        << "countdown.exe not copied into the test folder: error " << GetLastError();
}

std::wstring CountdownRun::TargetFile() const
{
    return m_dir + L"diminuto.log";
}

bool CountdownRun::WriteTarget(const Bytes& bytes) const
{
    return driver::WriteFileBytes(TargetFile(), bytes);
}

bool CountdownRun::Start()
{
    GetLocalTime(&m_started);
    return m_program.Start(m_exe);
}

HWND CountdownRun::WaitForCountdown(DWORD timeoutMs)
{
    return m_program.WaitForWindow(CAPTION_PREFIX, timeoutMs);
}

bool CountdownRun::CountdownShown() const
{
    std::pair<DWORD, bool> search(m_program.Id(), false);
    EnumWindows(NoteShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND CountdownRun::WaitForMessage(DWORD timeoutMs) const
{
    return m_program.WaitForMessageBox(MESSAGE_TITLE, timeoutMs);
}

DWORD CountdownRun::WaitForExitCode(DWORD timeoutMs) const
{
    DWORD exitCode = 0xFFFFFFFF;
    if (!m_program.WaitForExit(&exitCode, timeoutMs))
        return 0xFFFFFFFF;
    return exitCode;
}

// Every millisecond from the start to now, across midnight if need be.
std::string CountdownRun::HotkeyAtomSinceStart() const
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const long first = MillisecondOfDay(m_started);
    const long span = (MillisecondOfDay(now) - first + MS_PER_DAY) % MS_PER_DAY;
    for (long i = 0; i <= span; ++i) {
        const long ms = (first + i) % MS_PER_DAY;
        SYSTEMTIME time = {};
        time.wHour = static_cast<WORD>(ms / 3600000);
        time.wMinute = static_cast<WORD>(ms / 60000 % 60);
        time.wSecond = static_cast<WORD>(ms / 1000 % 60);
        time.wMilliseconds = static_cast<WORD>(ms % 1000);
        const std::string name = HotkeyAtomName(time);
        if (GlobalFindAtomA(name.c_str()))
            return name;
    }
    return std::string();
}

std::string CountdownRun::WaitForHotkeyAtom() const
{
    std::string name;
    driver::WaitUntil([&] {
        name = HotkeyAtomSinceStart();
        return !name.empty() || !m_program.IsRunning();
    });
    return name;
}

}  // namespace countdown_run
