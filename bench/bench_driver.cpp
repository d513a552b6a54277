// Launches the tool, the floor program and `reg query` in turn, and prints
// how long each takes to show its window (or, for reg, to end), and the peak
// working set of the two windowed programs.
//
// Usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Program {
    const char* name;
    std::wstring commandLine;
    const wchar_t* caption;  // nullptr: measure until the process ends
    std::vector<double> startMs;
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

bool LaunchOnce(Program& program) {
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
    if (program.caption != nullptr) {
        HWND window = nullptr;
        const double deadline = start + 30000;
        while ((window = FindShownWindow(program.caption, process.dwProcessId)) == nullptr &&
               NowMs() < deadline) {
            Sleep(1);
        }
        const double shown = NowMs();
        ok = window != nullptr;
        if (ok) {
            program.startMs.push_back(shown - start);
            PROCESS_MEMORY_COUNTERS counters{};
            counters.cb = sizeof counters;
            if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
                program.peakWorkingSetKb.push_back(
                    static_cast<double>(counters.PeakWorkingSetSize) / 1024.0);
            }
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            ok = false;
        }
    } else {
        WaitForSingleObject(process.hProcess, 30000);
        program.startMs.push_back(NowMs() - start);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

struct Summary {
    double median, min, max;
};

Summary Summarise(std::vector<double> values) {
    if (values.empty()) {
        return {0, 0, 0};
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(
            stderr, "usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    std::vector<Program> programs = {
        {"ietitlebar",
         L"\"" + std::wstring(argv[2]) + L"\"",
         L"Reset Microsoft Internet Explorer Titlebar",
         {},
         {}},
        {"floor", L"\"" + std::wstring(argv[3]) + L"\"", L"Floor", {}, {}},
        {"floor with Common Controls 6", L"\"" + std::wstring(argv[4]) + L"\"", L"Floor", {}, {}},
        {"floor showing the same window", L"\"" + std::wstring(argv[5]) + L"\"", L"Floor", {}, {}},
        {"reg query",
         L"reg.exe query \"HKCU\\Software\\Microsoft\\Internet Explorer\\Main\" /v \"Window "
         L"Title\"",
         nullptr,
         {},
         {}},
    };
    // One unmeasured launch each warms the caches.
    for (Program& program : programs) {
        std::vector<double> keep = program.startMs;
        LaunchOnce(program);
        program.startMs = keep;
        program.peakWorkingSetKb.clear();
    }
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            Program& program = programs[(i + static_cast<std::size_t>(run)) % programs.size()];
            if (!LaunchOnce(program)) {
                std::fprintf(stderr, "%s: launch failed\n", program.name);
                return 1;
            }
        }
    }

    std::printf(
        "| program | runs | median ms | min ms | max ms | peak working set KiB (median) |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Program& program : programs) {
        const Summary time = Summarise(program.startMs);
        const Summary memory = Summarise(program.peakWorkingSetKb);
        std::printf("| %s | %zu | %.1f | %.1f | %.1f | %s |\n", program.name,
                    program.startMs.size(), time.median, time.min, time.max,
                    program.peakWorkingSetKb.empty()
                        ? "-"
                        : std::to_string(static_cast<long>(memory.median)).c_str());
    }
    const Summary ours = Summarise(programs[0].startMs);
    const Summary floor = Summarise(programs[1].startMs);
    const Summary floorCc6 = Summarise(programs[2].startMs);
    const Summary floorWindow = Summarise(programs[3].startMs);
    const Summary reg = Summarise(programs[4].startMs);
    const Summary oursMemory = Summarise(programs[0].peakWorkingSetKb);
    const Summary floorMemory = Summarise(programs[1].peakWorkingSetKb);
    const Summary floorCc6Memory = Summarise(programs[2].peakWorkingSetKb);
    std::printf("\n");
    // Launches of one round run back to back under the same load, so the
    // median of the rounds' own ratios is steadier than the ratio of medians.
    std::vector<double> roundRatios;
    for (std::size_t round = 0; round < programs[0].startMs.size(); ++round) {
        roundRatios.push_back(programs[0].startMs[round] / programs[3].startMs[round]);
    }
    std::printf("- start-up, ours / floor showing the same window (medians): %.3f\n",
                ours.median / floorWindow.median);
    std::printf(
        "- start-up, ours / floor showing the same window (median of the rounds' ratios): %.3f "
        "(target at most 1.05)\n",
        Summarise(roundRatios).median);
    std::printf("- start-up, ours / floor (medians): %.3f\n", ours.median / floor.median);
    std::printf("- start-up, floor with Common Controls 6 / floor (medians): %.3f\n",
                floorCc6.median / floor.median);
    std::printf("- start-up, floor showing the same window / floor (medians): %.3f\n",
                floorWindow.median / floor.median);
    std::printf("- start-up, ours / reg query (medians): %.3f\n", ours.median / reg.median);
    if (floorMemory.median > 0) {
        std::printf("- peak working set, ours / floor (medians): %.3f (target at most 1.2)\n",
                    oursMemory.median / floorMemory.median);
        std::printf("- peak working set, floor with Common Controls 6 / floor (medians): %.3f\n",
                    floorCc6Memory.median / floorMemory.median);
    }
    return 0;
}
