// Measuring helpers of the bench driver: a clock, medians, one started
// program and what can be read about it from outside.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace bench {

// Milliseconds from the performance counter.
double NowMs();

// Median and interquartile range; 0 for an empty list.
double Median(const std::vector<double>& values);
double Spread(const std::vector<double>& values);

// One program started with CreateProcessW, its folder as current directory;
// ended (TerminateProcess) on destruction if it still runs.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::wstring& exePath, const std::wstring& arguments);
    bool IsRunning() const;
    HANDLE Handle() const { return m_process; }

    // Polls every millisecond for a visible top-level window of the process
    // whose caption starts with `prefix`; NULL on timeout or exit.
    HWND WaitForVisibleWindow(const std::wstring& prefix, DWORD timeoutMs) const;

    // Clicks `control` (the countdown's label ends the program that way)
    // and waits for the exit; TerminateProcess when it does not come, and
    // then false.
    bool EndByClick(HWND control);
    void Terminate();

    // User plus kernel time in 100-ns units.
    ULONGLONG CpuTime() const;
    // PeakWorkingSetSize in bytes (0 when unknown).
    SIZE_T PeakWorkingSet() const;

private:
    HANDLE m_process = NULL;
    DWORD m_processId = 0;
};

// Under Wine, GetProcessTimes reports nothing for other processes; Linux
// keeps the account. The Linux pid of the Wine process running exePath
// (the newest when several do; 0 when none), and the CPU time of all its
// threads in nanoseconds (0 when unreadable), through Wine's Z: drive.
DWORD FindLinuxPid(const std::wstring& exePath);
ULONGLONG LinuxCpuNs(DWORD linuxPid);

// The ten record bytes of the local moment `days` days from now.
std::vector<unsigned char> RecordDaysAhead(int days);

// A target file of `size` bytes (a multiple of 10): records one day ahead,
// then the record three days ahead at the end, which is the one that counts.
bool WriteTargetFile(const std::wstring& path, ULONGLONG size);

}  // namespace bench
