// Bench driver: starts the built programs and the floor dialog in fresh
// folders and prints Markdown tables of start-up time, load cost against
// the target file's size, CPU while counting and peak working set.
//
//   bench_driver.exe [runs=21] [seconds=60] [memruns=5] [wineserver=PID]
//
// wineserver is the Linux pid of this prefix's wineserver; with it the CPU
// table also shows what the server spent while each program ran.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "driver.h"

namespace {

const wchar_t COUNTDOWN_CAPTION[] = L"Lo que falta para el dia ";
const wchar_t SETDATE_CAPTION[] = L"Configura tu Tiempo ...";
const wchar_t FLOOR_CAPTION[] = L"Floor dialog";
const int COUNTDOWN_LABEL_ID = 1001;
const DWORD WINDOW_TIMEOUT_MS = 30000;
const DWORD SETTLE_MS = 300;        // pause after each run
const DWORD MEMORY_WAIT_MS = 1500;  // lets the countdown tick before the reading
const int CPU_SLICES = 6;

struct Settings {
    int runs = 21;
    int seconds = 60;
    int memoryRuns = 5;
    DWORD wineserverPid = 0;
};

// One program as the bench starts it.
struct Subject {
    const char* name;
    std::wstring exe;
    std::wstring arguments;
    const wchar_t* caption;
    bool endByClick;  // the countdown ends on a click on its label
};

Settings ReadSettings(int argc, wchar_t** argv)
{
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        int value = 0;
        if (swscanf(argv[i], L"runs=%d", &value) == 1) settings.runs = value;
        else if (swscanf(argv[i], L"seconds=%d", &value) == 1) settings.seconds = value;
        else if (swscanf(argv[i], L"memruns=%d", &value) == 1) settings.memoryRuns = value;
        else if (swscanf(argv[i], L"wineserver=%d", &value) == 1) settings.wineserverPid = value;
    }
    return settings;
}

std::wstring OwnDirectory()
{
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(NULL, module, ARRAYSIZE(module));
    const std::wstring path = module;
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Ends a started subject the way a user would where there is one.
void EndSubject(bench::Process& process, const Subject& subject, HWND window)
{
    if (subject.endByClick) {
        if (!process.EndByClick(GetDlgItem(window, COUNTDOWN_LABEL_ID)))
            fprintf(stderr, "bench: %s did not end on a click; terminated\n", subject.name);
    } else
        process.Terminate();
}

// Milliseconds from CreateProcessW to the visible window with its caption;
// negative when the window never came.
double StartupOnce(const Subject& subject)
{
    bench::Process process;
    const double start = bench::NowMs();
    if (!process.Start(subject.exe, subject.arguments))
        return -1;
    HWND window = process.WaitForVisibleWindow(subject.caption, WINDOW_TIMEOUT_MS);
    const double elapsed = bench::NowMs() - start;
    EndSubject(process, subject, window);
    Sleep(SETTLE_MS);
    return window ? elapsed : -1;
}

// Rounds of every subject once, in an order rotated each round so that no
// subject always runs first or last.
std::vector<std::vector<double>> MeasureStartup(const std::vector<Subject>& subjects, int runs)
{
    std::vector<std::vector<double>> times(subjects.size());
    for (int round = 0; round < runs; ++round) {
        for (size_t k = 0; k < subjects.size(); ++k) {
            const size_t i = (k + round) % subjects.size();
            const double ms = StartupOnce(subjects[i]);
            if (ms >= 0)
                times[i].push_back(ms);
            else
                fprintf(stderr, "bench: %s showed no window\n", subjects[i].name);
        }
        fprintf(stderr, "bench: start-up round %d/%d\n", round + 1, runs);
    }
    return times;
}

// Median peak working set in KiB over `runs` starts.
double MeasureMemory(const Subject& subject, int runs)
{
    std::vector<double> peaks;
    for (int run = 0; run < runs; ++run) {
        bench::Process process;
        if (!process.Start(subject.exe, subject.arguments))
            continue;
        HWND window = process.WaitForVisibleWindow(subject.caption, WINDOW_TIMEOUT_MS);
        if (window) {
            Sleep(MEMORY_WAIT_MS);
            peaks.push_back(process.PeakWorkingSet() / 1024.0);
        }
        EndSubject(process, subject, window);
        Sleep(SETTLE_MS);
    }
    return bench::Median(peaks);
}

struct CpuResult {
    double slicePercent;       // median over the slices, % of one core
    double totalPercent;       // over the whole period
    double wineserverPercent;  // the server over the whole period
    const char* source;        // where the process's CPU time came from
};

// CPU time of the process in ns: Linux's account of the Wine process when
// there is one, else GetProcessTimes (Windows).
ULONGLONG ProcessCpuNs(const bench::Process& process, DWORD linuxPid)
{
    return linuxPid ? bench::LinuxCpuNs(linuxPid) : process.CpuTime() * 100;
}

// CPU time of the program over `seconds` of running, in CPU_SLICES slices,
// from one second after its window is shown.
CpuResult MeasureCpu(const Subject& subject, const Settings& settings)
{
    CpuResult result = { -1, -1, -1, "" };
    bench::Process process;
    if (!process.Start(subject.exe, subject.arguments))
        return result;
    HWND window = process.WaitForVisibleWindow(subject.caption, WINDOW_TIMEOUT_MS);
    if (!window)
        return result;
    Sleep(1000);
    // Wine 8 gives other processes' GetProcessTimes without their run time,
    // so where Linux's /proc is reachable (under Wine) that is read instead.
    const DWORD linuxPid = bench::FindLinuxPid(subject.exe);
    result.source = linuxPid ? "Linux /proc schedstat" : "GetProcessTimes";
    const DWORD sliceMs = settings.seconds * 1000 / CPU_SLICES;
    std::vector<double> slices;
    const double firstWall = bench::NowMs();
    const ULONGLONG firstCpu = ProcessCpuNs(process, linuxPid);
    const ULONGLONG firstServer = bench::LinuxCpuNs(settings.wineserverPid);
    double wall = firstWall;
    ULONGLONG cpu = firstCpu;
    for (int i = 0; i < CPU_SLICES; ++i) {
        Sleep(sliceMs);
        const double nowWall = bench::NowMs();
        const ULONGLONG nowCpu = ProcessCpuNs(process, linuxPid);
        slices.push_back((nowCpu - cpu) / 1e6 / (nowWall - wall) * 100);
        wall = nowWall;
        cpu = nowCpu;
    }
    const ULONGLONG lastServer = bench::LinuxCpuNs(settings.wineserverPid);
    fprintf(stderr, "bench: %s: Linux pid %lu, %.1f ms of CPU; GetProcessTimes says %.1f ms\n",
            subject.name, static_cast<unsigned long>(linuxPid), (cpu - firstCpu) / 1e6,
            process.CpuTime() / 1e4);
    const double periodMs = wall - firstWall;
    result.slicePercent = bench::Median(slices);
    result.totalPercent = (cpu - firstCpu) / 1e6 / periodMs * 100;
    if (firstServer && lastServer)
        result.wineserverPercent = (lastServer - firstServer) / 1e6 / periodMs * 100;
    EndSubject(process, subject, window);
    Sleep(SETTLE_MS);
    return result;
}

// "within noise" when the medians differ by less than 10 % or by less than
// the spread of the 10-byte runs.
bool WithinNoise(double value, double reference, double spread)
{
    const double difference = value > reference ? value - reference : reference - value;
    return difference <= 0.10 * reference || difference <= spread;
}

const char* Verdict(bool met)
{
    return met ? "met" : "**missed**";
}

void PrintStartup(const std::vector<Subject>& subjects, const std::vector<std::vector<double>>& times)
{
    // subjects: floor, countdown 10 B, 1 MB, 100 MB.
    const double floor = bench::Median(times[0]);
    const double small = bench::Median(times[1]);
    const double smallSpread = bench::Spread(times[1]);
    printf("### Start-up and load cost\n\n");
    printf("From CreateProcessW to the visible window with its caption; median of %u runs"
           " per row, rows interleaved round by round.\n\n", static_cast<unsigned>(times[0].size()));
    printf("| program | median ms | IQR ms | min-max ms | x floor | x 10-B file |\n");
    printf("|---|---:|---:|---:|---:|---:|\n");
    for (size_t i = 0; i < subjects.size(); ++i) {
        const std::vector<double>& runs = times[i];
        const double median = bench::Median(runs);
        double low = 0, high = 0;
        for (size_t k = 0; k < runs.size(); ++k) {
            if (k == 0 || runs[k] < low) low = runs[k];
            if (k == 0 || runs[k] > high) high = runs[k];
        }
        char againstSmall[16] = "";
        if (i > 0 && small > 0)
            snprintf(againstSmall, sizeof(againstSmall), "%.2f", median / small);
        printf("| %s | %.1f | %.1f | %.0f-%.0f | %.2f | %s |\n", subjects[i].name, median,
               bench::Spread(runs), low, high, floor > 0 ? median / floor : 0, againstSmall);
    }
    const double ratio = floor > 0 ? small / floor : 0;
    const bool flat = WithinNoise(bench::Median(times[2]), small, smallSpread)
                      && WithinNoise(bench::Median(times[3]), small, smallSpread);
    printf("\n- start-up, countdown / floor = %.2fx (target at most 1.5x): %s\n", ratio,
           Verdict(ratio <= 1.5));
    printf("- load cost, 1 MB and 100 MB against 10 B within noise (10 %% or the 10-B IQR): %s\n\n",
           Verdict(flat));
}

void PrintCpu(const std::vector<Subject>& subjects, const std::vector<CpuResult>& results,
              const Settings& settings)
{
    printf("### CPU while counting\n\n");
    printf("Process CPU time over %d s from 1 s after the window shows,"
           " in %% of one core: median of %d slices of %d s, and the whole period.%s\n\n",
           settings.seconds, CPU_SLICES, settings.seconds / CPU_SLICES,
           settings.wineserverPid ? " The wineserver column is the Linux CPU time of this"
                                    " prefix's wineserver over the same period (all its clients)." : "");
    printf("| program | median slice %% | whole period %% | wineserver %% | source |\n");
    printf("|---|---:|---:|---:|---|\n");
    for (size_t i = 0; i < subjects.size(); ++i) {
        const CpuResult& r = results[i];
        char server[32] = "n/a";
        if (r.wineserverPercent >= 0)
            snprintf(server, sizeof(server), "%.2f", r.wineserverPercent);
        printf("| %s | %.2f | %.2f | %s | %s |\n", subjects[i].name, r.slicePercent, r.totalPercent,
               server, r.source);
    }
    printf("\n");
}

void PrintMemory(const std::vector<Subject>& subjects, const std::vector<double>& peaks, int runs)
{
    printf("### Memory\n\n");
    printf("PeakWorkingSetSize (GetProcessMemoryInfo) %.1f s after the window shows;"
           " median of %d runs.\n\n", MEMORY_WAIT_MS / 1000.0, runs);
    printf("| program | peak working set KiB | x floor |\n|---|---:|---:|\n");
    for (size_t i = 0; i < subjects.size(); ++i)
        printf("| %s | %.0f | %.2f |\n", subjects[i].name, peaks[i],
               peaks[0] > 0 ? peaks[i] / peaks[0] : 0);
    printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const Settings settings = ReadSettings(argc, argv);
    const std::wstring floorBuilt = OwnDirectory() + L"floor_dialog.exe";

    // One folder per subject; countdown folders hold their target file.
    driver::TempFolder floorFolder(L"bench-floor");
    driver::TempFolder small(L"bench-10B"), medium(L"bench-1MB"), large(L"bench-100MB");
    driver::TempFolder setdateFolder(L"bench-setdate");
    const std::wstring floorExe = floorFolder.File(L"floor_dialog.exe");
    CopyFileW(floorBuilt.c_str(), floorExe.c_str(), FALSE);
    const ULONGLONG sizes[] = { 10, 1000000, 100000000 };
    const driver::TempFolder* folders[] = { &small, &medium, &large };
    for (int i = 0; i < 3; ++i) {
        if (!bench::WriteTargetFile(folders[i]->File(L"diminuto.log"), sizes[i])) {
            fprintf(stderr, "bench: cannot write the target files\n");
            return 1;
        }
    }
    bench::WriteTargetFile(setdateFolder.File(L"diminuto.log"), 10);

    const Subject floor = { "floor dialog (GetMessage)", floorExe, L"", FLOOR_CAPTION, false };
    const Subject floorPoll = { "floor dialog (PeekMessage/SleepEx(1))", floorExe, L"poll", FLOOR_CAPTION, false };
    const Subject countdown = { "countdown, 10-B file", small.AddProgram(L"countdown.exe"), L"",
                                COUNTDOWN_CAPTION, true };
    const Subject countdownMedium = { "countdown, 1-MB file", medium.AddProgram(L"countdown.exe"), L"",
                                      COUNTDOWN_CAPTION, true };
    const Subject countdownLarge = { "countdown, 100-MB file", large.AddProgram(L"countdown.exe"), L"",
                                     COUNTDOWN_CAPTION, true };
    const Subject setdate = { "setdate", setdateFolder.AddProgram(L"setdate.exe"), L"",
                              SETDATE_CAPTION, false };

    // Warm-up: the desktop may still be coming up, and first starts are cold.
    for (const Subject* subject : { &floor, &countdown, &setdate }) {
        if (StartupOnce(*subject) < 0) {
            fprintf(stderr, "bench: %s does not start\n", subject->name);
            return 1;
        }
    }

    const std::vector<Subject> startupSubjects = { floor, countdown, countdownMedium, countdownLarge };
    const auto times = MeasureStartup(startupSubjects, settings.runs);
    PrintStartup(startupSubjects, times);

    const std::vector<Subject> cpuSubjects = { floor, floorPoll, countdown };
    std::vector<CpuResult> cpu;
    for (const Subject& subject : cpuSubjects) {
        fprintf(stderr, "bench: CPU of %s for %d s\n", subject.name, settings.seconds);
        cpu.push_back(MeasureCpu(subject, settings));
    }
    PrintCpu(cpuSubjects, cpu, settings);

    const std::vector<Subject> memorySubjects = { floor, countdown, setdate };
    std::vector<double> peaks;
    for (const Subject& subject : memorySubjects)
        peaks.push_back(MeasureMemory(subject, settings.memoryRuns));
    PrintMemory(memorySubjects, peaks, settings.memoryRuns);
    fflush(stdout);
    return 0;
}
