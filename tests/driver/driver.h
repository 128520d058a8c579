// Test driver: runs the real programs in a fresh folder and works their
// windows from outside, as a user would (Win32 only, no hooks).
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace driver {

// Default limit for waits; generous, since Wine may be slow to start.
constexpr DWORD WAIT_MS = 20000;

// Polls `condition` every pollMs until it holds or timeoutMs has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = WAIT_MS,
               DWORD pollMs = 20);

// A fresh folder under %TEMP%, removed with its content on destruction.
// `name` may hold any characters (e.g. outside the ANSI code page).
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"diminuto");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }      // ends in '\'
    std::wstring File(const std::wstring& name) const { return m_path + name; }
    // Copies build/bin/<exe> into the folder; returns the copy's path.
    std::wstring AddProgram(const wchar_t* exeName) const;
private:
    std::wstring m_path;
};

// Full path of a built program (bin\ beside the tests folder).
std::wstring BuiltProgramPath(const wchar_t* exeName);

// Whole-file helpers; ReadFileBytes returns false when the file cannot be read.
bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool ReadFileBytes(const std::wstring& path, std::vector<unsigned char>* bytes);
bool FileIsThere(const std::wstring& path);

// One started program.
class Program {
public:
    Program() = default;
    ~Program();  // ends the process if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // CreateProcessW with the program's folder as current directory.
    bool Start(const std::wstring& exePath);
    DWORD Id() const { return m_processId; }
    HANDLE Handle() const { return m_process; }
    bool IsRunning() const;

    // The first visible top-level window of the process whose caption starts
    // with `captionPrefix` (any caption when empty); NULL on timeout.
    HWND WaitForWindow(const std::wstring& captionPrefix = L"", DWORD timeoutMs = WAIT_MS) const;
    // A message box (#32770 with the given title) of the process; NULL on timeout.
    HWND WaitForMessageBox(const std::wstring& title, DWORD timeoutMs = WAIT_MS) const;
    // True when the process has any visible top-level window.
    bool HasVisibleWindow() const;

    // Waits for the end; false on timeout. The exit code goes to *exitCode.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = WAIT_MS) const;

private:
    HANDLE m_process = NULL;
    DWORD m_processId = 0;
};

// Window text through WM_GETTEXT (works across processes).
std::wstring WindowText(HWND window);
// The message text of a message box.
std::wstring MessageBoxText(HWND box);
// Presses the box's OK button (IDOK).
void CloseMessageBox(HWND box);

// Real input through SendInput.
void ClickAt(int x, int y);                 // left click at screen coordinates
void ClickWindow(HWND window);              // left click at the window's centre
void PressKey(WORD vk, bool alt = false);   // one key press, optionally with Alt
void TypeText(const std::wstring& text);    // characters as typed keys

// A small window of the driver's own, brought to the foreground, so that
// keys go to a window of this desktop (needed for hot keys under Wine).
HWND ForegroundDriverWindow();

// Pixel colour of the screen at (x, y).
COLORREF ScreenPixel(int x, int y);

// 100-ns ticks since 1601 of a moment, for arithmetic and comparisons.
ULONGLONG FileTimeTicks(const SYSTEMTIME& time);

// A moment of the clock: local wall-clock time and its offset from UTC in
// hours, so that a time in an hour that repeats is not ambiguous.
struct WallClock {
    int year, month, day, hour, minute, second;
    int utcOffsetHours;
};

// Under a fake clock (see tests/CMakeLists.txt: libfaketime reads the time
// from the file FAKETIME_TIMESTAMP_FILE at every call, in the test and in
// the programs it starts), freezes the clock at `moment`. False on the real
// clock, or when the clock read back is not `moment`.
bool SetFakeClock(const WallClock& moment);

}  // namespace driver
