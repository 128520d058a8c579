#include "driver.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sstream>

namespace driver {

namespace {

const wchar_t DRIVER_WINDOW_CLASS[] = L"DiminutoTestDriver";
// How long a start waits for a countdown of another process to go.
constexpr DWORD FOREIGN_COUNTDOWN_WAIT_MS = 10000;

void PumpOwnMessages()
{
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring DirectoryOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    const std::wstring self = folder.substr(0, folder.size() - 1);  // without its '\'
    SetFileAttributesW(self.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(self.c_str());
}

struct WindowSearch {
    DWORD processId;
    const std::wstring* caption;
    const wchar_t* className;
    bool exactCaption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->className) {
        wchar_t className[64] = L"";
        GetClassNameW(window, className, ARRAYSIZE(className));
        if (wcscmp(className, search->className) != 0)
            return TRUE;
    }
    const std::wstring text = WindowText(window);
    const bool matches = search->exactCaption ? text == *search->caption
                                              : text.compare(0, search->caption->size(), *search->caption) == 0;
    if (!matches)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProcessWindow(DWORD processId, const std::wstring& caption, const wchar_t* className,
                       bool exactCaption)
{
    WindowSearch search = { processId, &caption, className, exactCaption, NULL };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK LongestStaticText(HWND child, LPARAM param)
{
    wchar_t className[32] = L"";
    GetClassNameW(child, className, ARRAYSIZE(className));
    if (_wcsicmp(className, L"Static") == 0) {
        std::wstring* best = reinterpret_cast<std::wstring*>(param);
        const std::wstring text = WindowText(child);
        if (text.size() > best->size())
            *best = text;
    }
    return TRUE;
}

void SendInputs(INPUT* inputs, UINT count)
{
    SendInput(count, inputs, sizeof(INPUT));
}

// A key event as a keyboard sends it: scan code set, and the extended flag
// for the navigation keys outside the numeric keypad.
INPUT KeyInput(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if ((vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return input;
}

// Every program a test starts runs in this job: when the test process ends,
// killed by a timeout too, the job's last handle goes and the programs
// with it, so none is left holding Alt+C and the screen's corner.
HANDLE TestJob()
{
    static const HANDLE job = [] {
        HANDLE created = CreateJobObjectW(NULL, NULL);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return created;
    }();
    return job;
}

std::vector<DWORD> g_startedIds;  // processes this test started

struct ForeignSearch {
    DWORD processId;
    std::wstring caption;
};

BOOL CALLBACK MatchForeignCountdown(HWND window, LPARAM param)
{
    ForeignSearch* search = reinterpret_cast<ForeignSearch*>(param);
    const std::wstring caption = WindowText(window);
    if (!IsWindowVisible(window) || caption.compare(0, 25, L"Lo que falta para el dia ") != 0)
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (DWORD started : g_startedIds)
        if (started == processId)
            return TRUE;
    search->processId = processId;
    search->caption = caption;
    return FALSE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        PumpOwnMessages();
        Sleep(pollMs);
    }
}

TempFolder::TempFolder(const std::wstring& name)
{
    static LONG counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(ARRAYSIZE(temp), temp);
    wchar_t unique[64];
    swprintf(unique, ARRAYSIZE(unique), L"-%lu-%lu-%ld", GetCurrentProcessId(),
             static_cast<unsigned long>(GetTickCount()), InterlockedIncrement(&counter));
    m_path = std::wstring(temp) + name + unique + L"\\";
    CreateDirectoryW(m_path.c_str(), NULL);
}

TempFolder::~TempFolder()
{
    RemoveTree(L"\\\\?\\" + m_path);  // the \\?\ form reaches paths of any length
}

std::wstring TempFolder::AddProgram(const wchar_t* exeName) const
{
    const std::wstring copy = m_path + exeName;
    if (!CopyFileW(BuiltProgramPath(exeName).c_str(), copy.c_str(), FALSE)) {
        fprintf(stderr, "TempFolder::AddProgram: %ls not copied: error %lu\n", exeName, GetLastError());
        fflush(stderr);
    }
    return copy;
}

std::wstring BuiltProgramPath(const wchar_t* exeName)
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(NULL, module, ARRAYSIZE(module));
    std::wstring testsDir = DirectoryOf(module);                        // ...\build\tests\ .
    std::wstring buildDir = DirectoryOf(testsDir.substr(0, testsDir.size() - 1));
    return buildDir + L"bin\\" + exeName;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() ||
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::vector<unsigned char>* bytes)
{
    bytes->clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = GetFileSize(file, NULL);
    bytes->resize(size);
    DWORD read = 0;
    const BOOL ok = size == 0 || ReadFile(file, bytes->data(), size, &read, NULL);
    CloseHandle(file);
    return ok && read == size;
}

bool FileIsThere(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Program::~Program()
{
    if (m_process) {
        if (IsRunning()) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
}

bool Program::Start(const std::wstring& exePath)
{
    // A countdown of another process holds Alt+C and the corner of the
    // screen. One that the last test's job has just ended may still show
    // for a moment; one that stays would fail every end-to-end test.
    ForeignSearch foreign = {0, L""};
    const bool gone = WaitUntil([&] {
        foreign.processId = 0;
        EnumWindows(MatchForeignCountdown, reinterpret_cast<LPARAM>(&foreign));
        return foreign.processId == 0;
    }, FOREIGN_COUNTDOWN_WAIT_MS, 50);
    if (!gone) {
        fprintf(stderr, "Program::Start: a countdown window of another process (%lu) is still open "
                "after %lu ms: \"%ls\"; close it first\n", foreign.processId,
                FOREIGN_COUNTDOWN_WAIT_MS, foreign.caption.c_str());
        fflush(stderr);
        return false;
    }
    std::wstring commandLine = L"\"" + exePath + L"\"";
    const std::wstring folder = DirectoryOf(exePath);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], NULL, NULL, FALSE, CREATE_SUSPENDED,
                        NULL, folder.empty() ? NULL : folder.c_str(), &startup, &info)) {
        fprintf(stderr, "Program::Start: CreateProcessW failed with error %lu for %ls\n",
                GetLastError(), exePath.c_str());
        fflush(stderr);
        return false;
    }
    AssignProcessToJobObject(TestJob(), info.hProcess);
    g_startedIds.push_back(info.dwProcessId);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    return true;
}

bool Program::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

HWND Program::WaitForWindow(const std::wstring& captionPrefix, DWORD timeoutMs) const
{
    HWND found = NULL;
    WaitUntil([&] {
        found = FindProcessWindow(m_processId, captionPrefix, nullptr, false);
        return found != NULL || !IsRunning();
    }, timeoutMs);
    return found;
}

HWND Program::WaitForMessageBox(const std::wstring& title, DWORD timeoutMs) const
{
    HWND found = NULL;
    WaitUntil([&] {
        found = FindProcessWindow(m_processId, title, L"#32770", true);
        return found != NULL || !IsRunning();
    }, timeoutMs);
    return found;
}

bool Program::HasVisibleWindow() const
{
    return FindProcessWindow(m_processId, L"", nullptr, false) != NULL;
}

bool Program::WaitForExit(DWORD* exitCode, DWORD timeoutMs) const
{
    if (!WaitUntil([&] { return !IsRunning(); }, timeoutMs))
        return false;
    GetExitCodeProcess(m_process, exitCode);
    return true;
}

std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    std::wstring text;
    EnumChildWindows(box, LongestStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void CloseMessageBox(HWND box)
{
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

// Absolute mouse input at screen point (x, y); every event carries the point.
INPUT MouseInput(int x, int y, DWORD flags)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65536 + width / 2) / width;
    input.mi.dy = (y * 65536 + height / 2) / height;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

// The cursor is moved first and must stay at the point for a few polls:
// under Wine's X11 desktop the report of an earlier cursor move may come
// late and land a press elsewhere.
void ClickAt(int x, int y)
{
    INPUT move = MouseInput(x, y, 0);
    SendInputs(&move, 1);
    int steadyPolls = 0;
    WaitUntil([&] {
        POINT cursor;
        GetCursorPos(&cursor);
        // Absolute input is scaled to 0-65535: allow a pixel of rounding.
        steadyPolls = (abs(cursor.x - x) <= 1 && abs(cursor.y - y) <= 1) ? steadyPolls + 1 : 0;
        return steadyPolls >= 5;
    }, 5000, 10);
    INPUT click[2] = { MouseInput(x, y, MOUSEEVENTF_LEFTDOWN), MouseInput(x, y, MOUSEEVENTF_LEFTUP) };
    SendInputs(click, 2);
}

void ClickWindow(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// A key pressed and released, inside a press of `modifier` unless it is 0.
void PressWith(WORD modifier, WORD vk)
{
    INPUT inputs[4];
    UINT count = 0;
    if (modifier)
        inputs[count++] = KeyInput(modifier, false);
    inputs[count++] = KeyInput(vk, false);
    inputs[count++] = KeyInput(vk, true);
    if (modifier)
        inputs[count++] = KeyInput(modifier, true);
    SendInputs(inputs, count);
}

void PressKey(WORD vk, bool alt)
{
    PressWith(alt ? VK_MENU : 0, vk);
}

void TypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        PressWith((HIBYTE(scan) & 1) ? VK_SHIFT : 0, LOBYTE(scan));
    }
}

HWND ForegroundDriverWindow()
{
    static HWND window = NULL;
    if (!window) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(NULL);
        windowClass.lpszClassName = DRIVER_WINDOW_CLASS;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&windowClass);
        // Out of the way of the programs' windows, bottom right.
        window = CreateWindowExW(0, DRIVER_WINDOW_CLASS, L"driver", WS_POPUP | WS_BORDER,
                                 GetSystemMetrics(SM_CXSCREEN) - 120,
                                 GetSystemMetrics(SM_CYSCREEN) - 60, 100, 40,
                                 NULL, NULL, GetModuleHandleW(NULL), NULL);
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    WaitUntil([] { return GetForegroundWindow() == window; }, 5000);
    return window;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(NULL);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return color;
}

namespace {

constexpr ULONGLONG TICKS_PER_SECOND = 10000000ULL;
constexpr ULONGLONG UNIX_EPOCH_SECONDS = 11644473600ULL;  // 1601 to 1970

std::wstring EnvironmentText(const wchar_t* name)
{
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return length && length < ARRAYSIZE(value) ? std::wstring(value, length) : std::wstring();
}

// A Unix path as Wine's drive Z: shows it.
std::wstring UnixPathOnZ(const std::wstring& path)
{
    std::wstring windows = L"Z:" + path;
    for (wchar_t& c : windows) {
        if (c == L'/')
            c = L'\\';
    }
    return windows;
}

// libfaketime's semaphore and shared memory ("/faketime_sem_N
// /faketime_shm_N"), made by the first process that loaded it: under Wine
// that process never runs the library's clean-up.
void RemoveFakeClockSharedMemory()
{
    std::wistringstream names(EnvironmentText(L"FAKETIME_SHARED"));
    std::wstring semaphore, memory;
    if (!(names >> semaphore >> memory) || semaphore.size() < 2 || memory.size() < 2)
        return;
    DeleteFileW((L"Z:\\dev\\shm\\sem." + semaphore.substr(1)).c_str());
    DeleteFileW((L"Z:\\dev\\shm\\" + memory.substr(1)).c_str());
}

}  // namespace

ULONGLONG FileTimeTicks(const SYSTEMTIME& time)
{
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// Seconds since 1970 (FAKETIME_FMT=%s), written beside the file and renamed
// over it, so that no clock call reads a half-written time.
bool SetFakeClock(const WallClock& moment)
{
    const std::wstring file = EnvironmentText(L"FAKETIME_TIMESTAMP_FILE");
    if (file.empty())
        return false;
    static const int cleanUpAtExit = atexit(RemoveFakeClockSharedMemory);  // once
    (void)cleanUpAtExit;

    SYSTEMTIME wall = {};
    wall.wYear = static_cast<WORD>(moment.year);
    wall.wMonth = static_cast<WORD>(moment.month);
    wall.wDay = static_cast<WORD>(moment.day);
    wall.wHour = static_cast<WORD>(moment.hour);
    wall.wMinute = static_cast<WORD>(moment.minute);
    wall.wSecond = static_cast<WORD>(moment.second);
    const ULONGLONG utcTicks = FileTimeTicks(wall)
        - static_cast<LONGLONG>(moment.utcOffsetHours) * 3600 * static_cast<LONGLONG>(TICKS_PER_SECOND);
    const std::string text = std::to_string(utcTicks / TICKS_PER_SECOND - UNIX_EPOCH_SECONDS) + "\n";

    const std::wstring path = UnixPathOnZ(file), fresh = path + L".new";
    if (!WriteFileBytes(fresh, std::vector<unsigned char>(text.begin(), text.end()))
        || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;

    SYSTEMTIME utcNow, localNow;
    GetSystemTime(&utcNow);
    GetLocalTime(&localNow);
    utcNow.wDayOfWeek = localNow.wDayOfWeek = 0;
    utcNow.wMilliseconds = localNow.wMilliseconds = 0;
    return FileTimeTicks(utcNow) == utcTicks && FileTimeTicks(localNow) == FileTimeTicks(wall);
}

}  // namespace driver
