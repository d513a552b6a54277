// Launches the tool, the floor programs and `reg query`, and prints how long
// each takes to show its window (or, for reg, to end) and to be ready for
// input, with the ratios of the tool to its fair floors and their 95%
// bootstrap intervals, and the peak working set of the windowed programs.
// Until ready for input it also takes the CPU time the program has used
// (under Wine, its Linux threads' time on a CPU, from the kernel's scheduler
// statistics, in nanoseconds; on Windows, its cycles), which the machine's
// load and Wine's scheduling disturb less than the wall clock. The whole
// start's floor is timed against a copy of itself too (an A/A pair): what
// that pair reads beside 1 is what the instrument cannot tell apart that day.
//
// Usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe FLOOR_WHOLE.exe
//                     FLOOR_WHOLE_COPY.exe
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cwchar>
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
    std::vector<double> idleCpu;
    std::vector<double> peakWorkingSetKb;
};

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// A small file's text, or empty.
std::string ReadSmallFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    std::string text;
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

// When a Linux process started, in clock ticks since boot (the 22nd field
// of /proc/PID/stat, after the command name in brackets); 0 when unknown.
unsigned long long StartTicks(const std::wstring& folder) {
    const std::string stat = ReadSmallFile(folder + L"\\stat");
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) {
        return 0;
    }
    std::size_t at = nameEnd + 2;  // the 3rd field
    for (int field = 3; field < 22 && at != std::string::npos; ++field) {
        at = stat.find(' ', at);
        at = at == std::string::npos ? at : at + 1;
    }
    return at == std::string::npos ? 0 : std::strtoull(stat.c_str() + at, nullptr, 10);
}

// Under Wine, the /proc folder of the Linux process that runs `fileName`,
// the newest of them: Wine gives that process the program's path as its
// command line, and a copy left running elsewhere is older.
std::wstring LinuxProcessOf(const std::wstring& fileName) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    std::wstring folder;
    if (search == INVALID_HANDLE_VALUE) {
        return folder;
    }
    // The program's file name is ASCII: each character becomes a byte.
    std::string wanted;
    for (const wchar_t c : fileName) {
        wanted += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    unsigned long long newest = 0;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') {
            continue;
        }
        const std::wstring candidate = std::wstring(L"Z:\\proc\\") + found.cFileName;
        std::string line = ReadSmallFile(candidate + L"\\cmdline");
        line = line.substr(0, line.find('\0'));
        std::transform(line.begin(), line.end(), line.begin(), [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        });
        while (!line.empty() && (line.back() == ' ' || line.back() == '"')) {
            line.pop_back();
        }
        if (line.size() > wanted.size() &&
            line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0 &&
            (line[line.size() - wanted.size() - 1] == '\\' ||
             line[line.size() - wanted.size() - 1] == '/')) {
            if (const unsigned long long started = StartTicks(candidate); started >= newest) {
                newest = started;
                folder = candidate;
            }
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return folder;
}

// The CPU the program has used so far: under Wine the milliseconds its
// Linux threads have been on a CPU, on Windows millions of its cycles; -1
// when unknown.
double CpuUsed(HANDLE process, const std::wstring& fileName) {
    if (!UnderWine()) {
        ULONG64 cycles = 0;
        return QueryProcessCycleTime(process, &cycles) ? static_cast<double>(cycles) / 1e6 : -1;
    }
    const std::wstring folder = LinuxProcessOf(fileName);
    if (folder.empty()) {
        return -1;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\task\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return -1;
    }
    double total = 0;
    do {
        if (found.cFileName[0] >= L'0' && found.cFileName[0] <= L'9') {
            total += std::strtod(
                ReadSmallFile(folder + L"\\task\\" + found.cFileName + L"\\schedstat").c_str(),
                nullptr);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total / 1e6;
}

// The program's file name, from its quoted path.
std::wstring FileNameOf(const std::wstring& commandLine) {
    std::wstring path = commandLine;
    path.erase(std::remove(path.begin(), path.end(), L'"'), path.end());
    return path.substr(path.find_last_of(L"\\/") + 1);
}

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

// Launches once and records the time until `until`; false, said on the
// error stream, when the launch failed, the program was ready for input
// with no window to show, or it did not end when closed.
bool LaunchOnce(Program& program, Until until) {
    const auto failed = [&program](const char* why) {
        std::fprintf(stderr, "%s: %s (error %lu)\n", program.name, why, GetLastError());
        return false;
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = program.commandLine;
    // Wine now and then refuses a start (error 1359) that goes through when
    // tried again; the time runs from the start that went through.
    double start = 0;
    for (int tries = 0;; ++tries) {
        start = NowMs();
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &startup, &process)) {
            break;
        }
        if (tries == 2) {
            return failed("not started");
        }
        Sleep(100);
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
            program.idleCpu.push_back(CpuUsed(process.hProcess, FileNameOf(program.commandLine)));
            window = FindShownWindow(program.caption, process.dwProcessId);
            break;
        case Until::kExit:
            WaitForSingleObject(process.hProcess, 30000);
            program.visibleMs.push_back(NowMs() - start);
            break;
    }
    if (!ok) {
        failed("not ready for input in 30 s");
    }
    if (until != Until::kExit) {
        if (window == nullptr) {
            ok = failed("no window shown");
        } else {
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            ok = failed("not ended 30 s after it was closed");
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
void PrintPairs(const char* what, const std::vector<double>& ours, const std::vector<double>& floor,
                const char* target = "at most 1.05") {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size() && i < floor.size(); ++i) {
        if (ours[i] > 0 && floor[i] > 0) {
            ratios.push_back(ours[i] / floor[i]);
        }
    }
    if (ratios.empty()) {
        std::printf("- %s: not measured here\n", what);
        return;
    }
    const Interval interval = BootstrapMedian(ratios);
    std::printf("- %s (median of the pairs' ratios): %.3f [%.3f, %.3f] (target %s)\n", what,
                Median(ratios), interval.low, interval.high, target);
}

void PrintTable(const char* title, const std::vector<Program>& programs,
                std::vector<double> Program::*times, const char* unit = "ms") {
    std::printf("%s\n\n| program | runs | median %s | min %s | max %s |\n|---|---|---|---|---|\n",
                title, unit, unit, unit);
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
    if (argc < 8) {
        std::fprintf(stderr,
                     "usage: bench_driver RUNS TOOL.exe FLOOR.exe FLOOR_CC6.exe FLOOR_WINDOW.exe "
                     "FLOOR_WHOLE.exe FLOOR_WHOLE_COPY.exe\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    const auto quoted = [](const wchar_t* path) { return L"\"" + std::wstring(path) + L"\""; };
    constexpr wchar_t kCaption[] = L"Reset Microsoft Internet Explorer Titlebar";
    std::vector<Program> programs = {
        {"ietitlebar", quoted(argv[2]), kCaption, {}, {}, {}, {}},
        {"floor", quoted(argv[3]), L"Floor", {}, {}, {}, {}},
        {"floor with Common Controls 6", quoted(argv[4]), L"Floor", {}, {}, {}, {}},
        {"floor showing the same window", quoted(argv[5]), L"Floor", {}, {}, {}, {}},
        {"floor doing the whole start", quoted(argv[6]), L"Floor", {}, {}, {}, {}},
        {"reg query",
         L"reg.exe query \"HKCU\\Software\\Microsoft\\Internet Explorer\\Main\" /v \"Window "
         L"Title\"",
         nullptr,
         {},
         {},
         {},
         {}},
        {"floor doing the whole start, A", quoted(argv[6]), L"Floor", {}, {}, {}, {}},
        {"floor doing the whole start, A' (a copy)", quoted(argv[7]), L"Floor", {}, {}, {}, {}},
    };
    Program& ours = programs[0];
    Program& sameWindow = programs[3];
    Program& wholeStart = programs[4];
    Program& wholeA = programs[6];
    Program& wholeCopy = programs[7];

    // Each round: the tool and its fair floor for each measure, as a pair
    // whose order alternates from round to round (the second of a pair
    // starts a little faster), then the other programs once. One round
    // first, unmeasured, warms the caches.
    const auto round = [&](int number) {
        const bool oursFirst = number % 2 == 0;
        const auto pair = [&](Program& first, Program& second, Until until) {
            return oursFirst ? LaunchOnce(first, until) && LaunchOnce(second, until)
                             : LaunchOnce(second, until) && LaunchOnce(first, until);
        };
        return pair(ours, sameWindow, Until::kVisible) &&
               pair(ours, wholeStart, Until::kInputIdle) &&
               pair(wholeA, wholeCopy, Until::kInputIdle) &&
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
        program.idleCpu.clear();
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
    const bool wine = UnderWine();
    PrintTable(wine ? "CPU used until the first wait for input (time on a CPU, from Linux's "
                      "scheduler):"
                    : "CPU used until the first wait for input (QueryProcessCycleTime):",
               programs, &Program::idleCpu, wine ? "ms" : "Mcycles");
    PrintPairs("ready for input, ours / floor doing the whole start", ours.idleMs,
               wholeStart.idleMs);
    PrintPairs("ready for input, CPU, ours / floor doing the whole start", ours.idleCpu,
               wholeStart.idleCpu);
    PrintPairs("A/A: ready for input, floor doing the whole start / its copy", wholeA.idleMs,
               wholeCopy.idleMs, "within 1.02 of 1");
    PrintPairs("A/A: ready for input, CPU, floor doing the whole start / its copy", wholeA.idleCpu,
               wholeCopy.idleCpu, "within 1.02 of 1");
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
