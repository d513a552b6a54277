// Launches the tool, the floor programs and `reg query`, and prints how long
// each takes to show its window (or, for reg, to end) and to be ready for
// input, with the ratios of the tool to its fair floors and their 95%
// bootstrap intervals, and the peak working set of the windowed programs.
//
// Usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe FLOOR_WHOLE.exe
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// What a launch waits for.
enum class Until {
    kVisible,    // the window is visible (polled)
    kInputIdle,  // the program first waits for input (WaitForInputIdle), its window visible
    kExit,       // the process has ended
};

struct Program {
    const char* name;
    std::wstring commandLine;
    const wchar_t* caption;  // nullptr: a program without a window
    std::vector<double> visibleMs;
    std::vector<double> idleMs;
    std::vector<double> peakWorkingSetKb;
};

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND FindShownWindow(const wchar_t* caption, DWORD processId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, caption); window != nullptr;
         window = FindWindowExW(nullptr, window, nullptr, caption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// Launches once and records the time until `until`; false when the launch
// failed, or the program was ready for input with no window to show.
bool LaunchOnce(Program& program, Until until) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = program.commandLine;
    const double start = NowMs();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return false;
    }
    bool ok = true;
    HWND window = nullptr;
    switch (until) {
        case Until::kVisible: {
            const double deadline = start + 30000;
            while ((window = FindShownWindow(program.caption, process.dwProcessId)) == nullptr &&
                   NowMs() < deadline) {
                Sleep(1);
            }
            program.visibleMs.push_back(NowMs() - start);
            PROCESS_MEMORY_COUNTERS counters{};
            counters.cb = sizeof counters;
            if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
                program.peakWorkingSetKb.push_back(
                    static_cast<double>(counters.PeakWorkingSetSize) / 1024.0);
            }
            break;
        }
        case Until::kInputIdle:
            ok = WaitForInputIdle(process.hProcess, 30000) == 0;
            program.idleMs.push_back(NowMs() - start);
            window = FindShownWindow(program.caption, process.dwProcessId);
            break;
        case Until::kExit:
            WaitForSingleObject(process.hProcess, 30000);
            program.visibleMs.push_back(NowMs() - start);
            break;
    }
    if (until != Until::kExit) {
        ok = ok && window != nullptr;
        if (window != nullptr) {
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            ok = false;
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Interval {
    double low, high;
};

// The 95% bootstrap interval of the median, over 2,000 resamplings with a
// fixed seed: the same ratios give the same interval.
Interval BootstrapMedian(const std::vector<double>& values) {
    constexpr int kResamplings = 2000;
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    std::vector<double> medians;
    std::vector<double> sample(values.size());
    for (int i = 0; i < kResamplings; ++i) {
        for (double& value : sample) {
            value = values[pick(random)];
        }
        medians.push_back(Median(sample));
    }
    std::sort(medians.begin(), medians.end());
    return {medians[kResamplings / 40], medians[kResamplings - 1 - kResamplings / 40]};
}

// Each pair's ratio, ours over the floor's, its median and interval.
void PrintPairs(const char* what, const std::vector<double>& ours,
                const std::vector<double>& floor) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size() && i < floor.size(); ++i) {
        ratios.push_back(ours[i] / floor[i]);
    }
    const Interval interval = BootstrapMedian(ratios);
    std::printf("- %s (median of the pairs' ratios): %.3f [%.3f, %.3f] (target at most 1.05)\n",
                what, Median(ratios), interval.low, interval.high);
}

void PrintTable(const char* title, const std::vector<Program>& programs,
                std::vector<double> Program::*times) {
    std::printf("%s\n\n| program | runs | median ms | min ms | max ms |\n|---|---|---|---|---|\n",
                title);
    for (const Program& program : programs) {
        const std::vector<double>& values = program.*times;
        if (values.empty()) {
            continue;
        }
        std::printf("| %s | %zu | %.1f | %.1f | %.1f |\n", program.name, values.size(),
                    Median(values), *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()));
    }
    std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 7) {
        std::fprintf(stderr,
                     "usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe "
                     "FLOOR_WHOLE.exe\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    const auto quoted = [](const wchar_t* path) { return L"\"" + std::wstring(path) + L"\""; };
    constexpr wchar_t kCaption[] = L"Reset Microsoft Internet Explorer Titlebar";
    std::vector<Program> programs = {
        {"ietitlebar", quoted(argv[2]), kCaption, {}, {}, {}},
        {"floor", quoted(argv[3]), L"Floor", {}, {}, {}},
        {"floor with Common Controls 6", quoted(argv[4]), L"Floor", {}, {}, {}},
        {"floor showing the same window", quoted(argv[5]), L"Floor", {}, {}, {}},
        {"floor doing the whole start", quoted(argv[6]), L"Floor", {}, {}, {}},
        {"reg query",
         L"reg.exe query \"HKCU\\Software\\Microsoft\\Internet Explorer\\Main\" /v \"Window "
         L"Title\"",
         nullptr,
         {},
         {},
         {}},
    };
    Program& ours = programs[0];
    Program& sameWindow = programs[3];
    Program& wholeStart = programs[4];

    // Each round: the tool and its fair floor for each measure, as a pair
    // whose order alternates from round to round (the second of a pair
    // starts a little faster), then the other programs once. One round
    // first, unmeasured, warms the caches.
    const auto round = [&](int number) {
        const bool oursFirst = number % 2 == 0;
        const auto pair = [&](Program& floor, Until until) {
            return oursFirst ? LaunchOnce(ours, until) && LaunchOnce(floor, until)
                             : LaunchOnce(floor, until) && LaunchOnce(ours, until);
        };
        return pair(sameWindow, Until::kVisible) && pair(wholeStart, Until::kInputIdle) &&
               LaunchOnce(programs[1], Until::kVisible) &&
               LaunchOnce(programs[2], Until::kVisible) && LaunchOnce(programs[5], Until::kExit);
    };
    if (!round(0)) {
        std::fprintf(stderr, "a launch failed\n");
        return 1;
    }
    for (Program& program : programs) {
        program.visibleMs.clear();
        program.idleMs.clear();
        program.peakWorkingSetKb.clear();
    }
    for (int number = 0; number < runs; ++number) {
        if (!round(number)) {
            std::fprintf(stderr, "a launch failed in round %d\n", number);
            return 1;
        }
    }

    PrintTable("Until the window is visible (for reg query, until it ends):", programs,
               &Program::visibleMs);
    PrintTable("Until the program first waits for input, its window visible:", programs,
               &Program::idleMs);
    PrintPairs("ready for input, ours / floor doing the whole start", ours.idleMs,
               wholeStart.idleMs);
    PrintPairs("visible, ours / floor showing the same window", ours.visibleMs,
               sameWindow.visibleMs);
    const double floor = Median(programs[1].visibleMs);
    std::printf("- visible, ours / floor (medians): %.3f\n", Median(ours.visibleMs) / floor);
    std::printf("- visible, floor with Common Controls 6 / floor (medians): %.3f\n",
                Median(programs[2].visibleMs) / floor);
    std::printf("- visible, floor showing the same window / floor (medians): %.3f\n",
                Median(sameWindow.visibleMs) / floor);
    std::printf("- visible, ours / reg query (medians): %.3f\n",
                Median(ours.visibleMs) / Median(programs[5].visibleMs));
    const double floorMemory = Median(programs[1].peakWorkingSetKb);
    if (floorMemory > 0) {
        std::printf("- peak working set, ours / floor (medians): %.3f (target at most 1.2)\n",
                    Median(ours.peakWorkingSetKb) / floorMemory);
    }
    return 0;
}
