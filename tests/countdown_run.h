// One run of the real countdown.exe in a fresh folder, with what its tests
// need: target moments from the local clock, the caption they give, and the
// search for its hot-key atom in the global atom table.
#pragma once

#include <windows.h>
#include <string>

#include "driver.h"
#include "test_support.h"

namespace countdown_run {

constexpr wchar_t CAPTION_PREFIX[] = L"Lo que falta para el dia ";

// Second 0 of the local minute `minutes` from now (negative: ago), built
// with FILETIME arithmetic so that days, months and years roll over.
SYSTEMTIME LocalMinuteFromNow(LONGLONG minutes);

// "Lo que falta para el dia dd/mm/yyyy a las hh:mm", built independently.
std::wstring ExpectedCaption(const TargetRecord& target);
std::wstring ExpectedCaption(const SYSTEMTIME& moment);

class CountdownRun {
public:
    // The program is copied into a fresh folder; given a programPathLength,
    // into a subfolder whose name makes the program's path that long.
    explicit CountdownRun(const std::wstring& folderName = L"countdown",
                          size_t programPathLength = 0);
    CountdownRun(const CountdownRun&) = delete;
    CountdownRun& operator=(const CountdownRun&) = delete;

    const std::wstring& ProgramPath() const { return m_exe; }
    std::wstring TargetFile() const;  // diminuto.log beside the program
    bool WriteTarget(const Bytes& bytes) const;

    bool Start();  // notes the local time first
    driver::Program& Process() { return m_program; }

    // The visible countdown window (caption CAPTION_PREFIX...), NULL on timeout.
    HWND WaitForCountdown(DWORD timeoutMs = driver::WAIT_MS);
    // A visible window of the process other than a message box.
    bool CountdownShown() const;
    // The message box titled "Programador ...", NULL on timeout.
    HWND WaitForMessage(DWORD timeoutMs = driver::WAIT_MS) const;
    // Exit code after the end; 0xFFFFFFFF on timeout.
    DWORD WaitForExitCode(DWORD timeoutMs = driver::WAIT_MS) const;

    // The name of a global atom "My Hotkeyss <seconds of day>" for a time
    // between the start and now; empty when there is none.
    std::string HotkeyAtomSinceStart() const;
    // Polls for it while the program initialises or runs.
    std::string WaitForHotkeyAtom() const;

private:
    driver::TempFolder m_folder;
    std::wstring m_dir;
    std::wstring m_exe;
    driver::Program m_program;
    SYSTEMTIME m_started = {};
};

}  // namespace countdown_run
