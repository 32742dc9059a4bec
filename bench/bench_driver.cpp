// Measures SettingPyxet.exe against the bare baseline under Wine and prints
// a Markdown table. Used by bench.sh; numbers are printed, never asserted.
//
//   bench_driver PROGRAM.exe BASELINE.exe FOLDER RUNS
//
// Time to ready: CreateProcess until the program's window has its 13
// controls with the defaults checked (the baseline: until its window exists
// and answers a message). A check state can only be read by a message the
// program answers, so the baseline, too, is ready only once its thread
// answers one: its window exists from the start of its CreateWindowEx,
// some 20 ms before the baseline could answer anything. Runs alternate program, baseline, program, ... after one warm-up
// of each. Save to exit: posting "設定" until the process has ended with
// pyxet.ini on disk, the message box dismissed as soon as it shows.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DWORD LimitMs = 10000;

double Now()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct Found { DWORD processId; const char* className; HWND window; };

BOOL CALLBACK Match(HWND window, LPARAM lParam)
{
    auto* found = reinterpret_cast<Found*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (processId != found->processId || std::string(name) != found->className) return TRUE;
    found->window = window;
    return FALSE;
}

HWND FindOf(DWORD processId, const char* className)
{
    Found found = {processId, className, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

// The settings window is ready when all 13 controls exist and the five
// defaults (ids 11, 22, 31, 41, 51) are checked.
bool SettingsWindowReady(HWND window)
{
    for (int id : {0, 1, 10, 20, 21, 30, 40, 50}) {
        if (GetDlgItem(window, id) == nullptr) return false;
    }
    for (int id : {11, 22, 31, 41, 51}) {
        HWND radio = GetDlgItem(window, id);
        if (radio == nullptr || SendMessageA(radio, BM_GETCHECK, 0, 0) != BST_CHECKED) return false;
    }
    return true;
}

struct Run { double readyMs = -1; double saveMs = -1; SIZE_T peakBytes = 0; };

bool Start(const std::string& exe, const std::string& folder, PROCESS_INFORMATION& process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = "\"" + exe + "\" " + folder;
    return CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &process) != 0;
}

void End(PROCESS_INFORMATION& process)
{
    if (WaitForSingleObject(process.hProcess, LimitMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, LimitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

SIZE_T PeakWorkingSet(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

// One launch of the baseline: ready when its window exists and answers; then closed.
Run RunBaseline(const std::string& exe, const std::string& folder)
{
    Run run;
    PROCESS_INFORMATION process;
    const double start = Now();
    if (!Start(exe, folder, process)) return run;
    HWND window = nullptr;
    while (Now() - start < LimitMs && (window = FindOf(process.dwProcessId, "Baseline")) == nullptr) Sleep(1);
    DWORD_PTR result = 0;
    if (window != nullptr && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, LimitMs, &result)) {
        run.readyMs = Now() - start;
    }
    run.peakBytes = PeakWorkingSet(process.hProcess);
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    End(process);
    return run;
}

// One launch of the program: ready, then "設定" timed until the process ends.
Run RunProgram(const std::string& exe, const std::string& folder)
{
    Run run;
    const std::string file = folder + "\\pyxet.ini";
    DeleteFileA(file.c_str());
    PROCESS_INFORMATION process;
    const double start = Now();
    if (!Start(exe, folder, process)) return run;
    HWND window = nullptr;
    while (Now() - start < LimitMs) {
        window = FindOf(process.dwProcessId, "SET_first");
        if (window != nullptr && SettingsWindowReady(window)) break;
        window = nullptr;
        Sleep(1);
    }
    if (window == nullptr) {
        End(process);
        return run;
    }
    run.readyMs = Now() - start;
    run.peakBytes = PeakWorkingSet(process.hProcess);

    const double saveStart = Now();
    PostMessageA(window, WM_COMMAND, 0, 0);
    HWND box = nullptr;
    while (Now() - saveStart < LimitMs && (box = FindOf(process.dwProcessId, "#32770")) == nullptr) Sleep(1);
    if (box != nullptr) PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(process.hProcess, LimitMs) == WAIT_OBJECT_0 &&
        GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        run.saveMs = Now() - saveStart;
    }
    End(process);
    return run;
}

struct Stats { double median, min, max; };

Stats Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_driver PROGRAM.exe BASELINE.exe FOLDER RUNS\n");
        return 2;
    }
    const std::string program = argv[1], baseline = argv[2], folder = argv[3];
    const int runs = std::max(1, std::atoi(argv[4]));

    RunProgram(program, folder);  // warm-up: caches, fonts
    RunBaseline(baseline, folder);
    std::vector<double> programReady, baselineReady, ratios, saves;
    SIZE_T programPeak = 0, baselinePeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run p = RunProgram(program, folder);
        const Run b = RunBaseline(baseline, folder);
        if (p.readyMs < 0 || b.readyMs < 0 || p.saveMs < 0) {
            std::fprintf(stderr, "run %d failed: program ready %.1f, save %.1f, baseline ready %.1f\n", i,
                         p.readyMs, p.saveMs, b.readyMs);
            return 1;
        }
        programReady.push_back(p.readyMs);
        baselineReady.push_back(b.readyMs);
        ratios.push_back(p.readyMs / b.readyMs);
        saves.push_back(p.saveMs);
        programPeak = std::max(programPeak, p.peakBytes);
        baselinePeak = std::max(baselinePeak, b.peakBytes);
    }
    const Stats p = Summarise(programReady), b = Summarise(baselineReady), r = Summarise(ratios),
                s = Summarise(saves);
    std::printf("| measure (%d runs each, alternating) | median | min | max |\n", runs);
    std::printf("|---|---|---|---|\n");
    std::printf("| time to ready, SettingPyxet.exe (ms) | %.1f | %.1f | %.1f |\n", p.median, p.min, p.max);
    std::printf("| time to ready, baseline: window answers (ms) | %.1f | %.1f | %.1f |\n", b.median, b.min, b.max);
    std::printf("| ratio program / baseline, pairwise | **%.2f** | %.2f | %.2f |\n", r.median, r.min, r.max);
    std::printf("| save to exit, SettingPyxet.exe (ms) | %.1f | %.1f | %.1f |\n", s.median, s.min, s.max);
    if (programPeak != 0 && baselinePeak != 0) {
        std::printf("| peak working set, SettingPyxet.exe / baseline (KiB) | %lu / %lu | | |\n",
                    static_cast<unsigned long>(programPeak / 1024), static_cast<unsigned long>(baselinePeak / 1024));
    } else {
        std::printf("| peak working set | not reported by Wine | | |\n");
    }
    return 0;
}
