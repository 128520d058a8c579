#include "bench_measure.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "driver.h"

namespace bench {

namespace {

struct WindowSearch {
    DWORD processId;
    const std::wstring* prefix;
    HWND found;
};

// GetWindowTextW of another process's window reads the stored caption
// without sending it a message, so a busy program does not stall the poll.
BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t caption[256] = L"";
    GetWindowTextW(window, caption, ARRAYSIZE(caption));
    if (wcsncmp(caption, search->prefix->c_str(), search->prefix->size()) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double position = fraction * (values.size() - 1);
    const size_t below = static_cast<size_t>(position);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (position - below);
}

}  // namespace

double NowMs()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

double Median(const std::vector<double>& values)
{
    return Percentile(values, 0.5);
}

double Spread(const std::vector<double>& values)
{
    return Percentile(values, 0.75) - Percentile(values, 0.25);
}

Process::~Process()
{
    Terminate();
    if (m_process)
        CloseHandle(m_process);
}

// The same creation as the test driver's, plus arguments.
bool Process::Start(const std::wstring& exePath, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    const std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\') + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                        folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    return true;
}

bool Process::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

HWND Process::WaitForVisibleWindow(const std::wstring& prefix, DWORD timeoutMs) const
{
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
        WindowSearch search = { m_processId, &prefix, NULL };
        EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (!IsRunning() || NowMs() > deadline)
            return NULL;
        Sleep(1);
    }
}

bool Process::EndByClick(HWND control)
{
    bool ended = false;
    if (control) {
        driver::ClickWindow(control);
        ended = WaitForSingleObject(m_process, 5000) == WAIT_OBJECT_0;
    }
    Terminate();
    return ended;
}

void Process::Terminate()
{
    if (IsRunning()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
    }
}

ULONGLONG Process::CpuTime() const
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(m_process, &created, &exited, &kernel, &user))
        return 0;
    const ULARGE_INTEGER k = { { kernel.dwLowDateTime, kernel.dwHighDateTime } };
    const ULARGE_INTEGER u = { { user.dwLowDateTime, user.dwHighDateTime } };
    return k.QuadPart + u.QuadPart;
}

SIZE_T Process::PeakWorkingSet() const
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(m_process, &counters, sizeof(counters)))
        return 0;
    return counters.PeakWorkingSetSize;
}

namespace {

// Up to 1 KB of a /proc file through Wine's Z: drive; /proc files report
// size 0, so they are read in one go.
std::string ReadProcFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    char buffer[1024];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, NULL);
    CloseHandle(file);
    return std::string(buffer, read);
}

// The last two components ("folder\\name.exe"), lower case.
std::wstring PathTail(std::wstring path)
{
    for (wchar_t& c : path)
        c = towlower(c);
    const size_t last = path.find_last_of(L'\\');
    if (last == std::wstring::npos || last == 0)
        return path;
    const size_t before = path.find_last_of(L'\\', last - 1);
    return before == std::wstring::npos ? path : path.substr(before + 1);
}

// Field 22 of /proc/<pid>/stat, the start time in clock ticks.
ULONGLONG LinuxStartTime(DWORD linuxPid)
{
    const std::string stat = ReadProcFile(L"Z:\\proc\\" + std::to_wstring(linuxPid) + L"\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    unsigned long long start = 0;
    sscanf(stat.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u"
           " %*d %*d %*d %*d %*d %*d %llu", &start);
    return start;
}

}  // namespace

// A Wine process's command line starts with its Windows image path.
DWORD FindLinuxPid(const std::wstring& exePath)
{
    const std::wstring wanted = PathTail(exePath);
    DWORD best = 0;
    ULONGLONG bestStart = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const DWORD pid = wcstoul(found.cFileName, NULL, 10);
        if (!pid)
            continue;
        const std::string cmdline = ReadProcFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\cmdline");
        const std::string image = cmdline.substr(0, cmdline.find('\0'));
        wchar_t wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_UTF8, 0, image.c_str(), -1, wide, ARRAYSIZE(wide));
        if (PathTail(wide) != wanted)
            continue;
        const ULONGLONG start = LinuxStartTime(pid);  // the newest wins
        if (!best || start > bestStart) {
            best = pid;
            bestStart = start;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return best;
}

// First field of /proc/<pid>/task/<tid>/schedstat: nanoseconds on a CPU.
ULONGLONG LinuxCpuNs(DWORD linuxPid)
{
    if (!linuxPid)
        return 0;
    const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(linuxPid) + L"\\task\\";
    ULONGLONG total = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (found.cFileName[0] == L'.')
            continue;
        const std::string stat = ReadProcFile(tasks + found.cFileName + L"\\schedstat");
        total += strtoull(stat.c_str(), NULL, 10);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

std::vector<unsigned char> RecordDaysAhead(int days)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME file;
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks = { { file.dwLowDateTime, file.dwHighDateTime } };
    ticks.QuadPart += static_cast<ULONGLONG>(days) * 24 * 3600 * 10000000ULL;
    file = { ticks.LowPart, ticks.HighPart };
    SYSTEMTIME target;
    FileTimeToSystemTime(&file, &target);
    const WORD fields[] = { target.wMinute, target.wHour, target.wDay, target.wMonth, target.wYear };
    std::vector<unsigned char> bytes;
    for (WORD field : fields) {
        bytes.push_back(LOBYTE(field));
        bytes.push_back(HIBYTE(field));
    }
    return bytes;
}

// Written in 1 MB blocks of older records; the last block ends with the
// three-days-ahead record.
bool WriteTargetFile(const std::wstring& path, ULONGLONG size)
{
    const std::vector<unsigned char> last = RecordDaysAhead(3);
    const std::vector<unsigned char> older = RecordDaysAhead(1);
    const DWORD BLOCK = 1000000;
    std::vector<unsigned char> block;
    for (DWORD i = 0; i < BLOCK / 10; ++i)
        block.insert(block.end(), older.begin(), older.end());

    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (ULONGLONG left = size - last.size(); ok && left > 0;) {
        const DWORD chunk = static_cast<DWORD>(std::min<ULONGLONG>(left, BLOCK));
        DWORD written = 0;
        ok = WriteFile(file, block.data(), chunk, &written, NULL) && written == chunk;
        left -= chunk;
    }
    DWORD written = 0;
    ok = ok && WriteFile(file, last.data(), static_cast<DWORD>(last.size()), &written, NULL)
         && written == last.size();
    CloseHandle(file);
    return ok;
}

}  // namespace bench
