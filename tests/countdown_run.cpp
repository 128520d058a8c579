#include "countdown_run.h"

#include <cwchar>
#include <regex>

#include "remaining_time.h"
#include "target_file.h"

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

ULONGLONG Ticks(const SYSTEMTIME& moment)
{
    FILETIME file = {};
    SystemTimeToFileTime(&moment, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return ticks.QuadPart;
}

SYSTEMTIME LocalMinuteFromNow(LONGLONG minutes)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = Ticks(now) / TICKS_PER_MINUTE_100NS * TICKS_PER_MINUTE_100NS
        + minutes * static_cast<LONGLONG>(TICKS_PER_MINUTE_100NS);
    FILETIME file = { ticks.LowPart, ticks.HighPart };
    SYSTEMTIME moment;
    FileTimeToSystemTime(&file, &moment);
    return moment;
}

std::vector<unsigned char> RecordBytes(const SYSTEMTIME& moment)
{
    const TargetRecord record = {
        static_cast<int16_t>(moment.wMinute), static_cast<int16_t>(moment.wHour),
        static_cast<int16_t>(moment.wDay), static_cast<int16_t>(moment.wMonth),
        static_cast<int16_t>(moment.wYear) };
    std::vector<unsigned char> bytes(TARGET_RECORD_SIZE);
    EncodeTargetRecord(record, bytes.data());
    return bytes;
}

std::wstring ExpectedCaption(const SYSTEMTIME& moment)
{
    wchar_t text[80];
    swprintf(text, ARRAYSIZE(text), L"%ls%02u/%02u/%u a las %02u:%02u", CAPTION_PREFIX,
             moment.wDay, moment.wMonth, moment.wYear, moment.wHour, moment.wMinute);
    return text;
}

long long Remaining::TotalSeconds() const
{
    return ((days * 24LL + hours) * 60 + minutes) * 60 + seconds;
}

bool ParseLabel(const std::wstring& text, Remaining* remaining)
{
    static const std::wregex FORM(L"^(\\d+)d (\\d+)h (\\d+)m (\\d+)s $");
    std::wsmatch match;
    if (!std::regex_match(text, match, FORM))
        return false;
    remaining->days = std::stol(match[1].str());
    remaining->hours = std::stol(match[2].str());
    remaining->minutes = std::stol(match[3].str());
    remaining->seconds = std::stol(match[4].str());
    return true;
}

CountdownRun::CountdownRun(const std::wstring& folderName, size_t programPathLength)
    : m_folder(folderName), m_dir(m_folder.Path())
{
    const std::wstring exeName = L"countdown.exe";
    const size_t fixedPart = m_dir.size() + exeName.size() + 1;  // + the subfolder's '\'
    if (programPathLength > fixedPart) {
        m_dir += std::wstring(programPathLength - fixedPart, L'p') + L"\\";
        CreateDirectoryW(m_dir.c_str(), NULL);
    }
    m_exe = m_dir + exeName;
    CopyFileW(driver::BuiltProgramPath(L"countdown.exe").c_str(), m_exe.c_str(), FALSE);
}

std::wstring CountdownRun::TargetFile() const
{
    return m_dir + L"diminuto.log";
}

bool CountdownRun::WriteTarget(const std::vector<unsigned char>& bytes) const
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
