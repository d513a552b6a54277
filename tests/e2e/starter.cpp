// Starts a program the ways a test program, itself a console program with
// standard handles, cannot:
//
//   starter explorer COMMAND   no console to borrow and no standard input or
//                              output, as Explorer, the Run box or a shortcut
//                              start it; the standard error is this
//                              starter's, for a test to read
//   starter event COMMAND      the same with standard handles that are no
//                              file, device or pipe (an event), as a careless
//                              launcher may pass
//   starter service COMMAND    no console and no standard handles, on a
//                              window station that nobody sees, as a service
//                              or an agent in session 0 runs it
//   starter console COMMAND    from a console that this starter owns, with no
//                              standard handles, as a person types it at a
//                              cmd prompt; what the console then shows goes
//                              to this starter's standard output, in UTF-8
//
// COMMAND is the program's whole command line. Exits with its exit code, or
// 99 when it could not be started.
#include <windows.h>

#include <string>
#include <string_view>

#include "support/test_handles.h"

namespace {

constexpr int kNotStarted = 99;

// Standard handles for the program: none, or these.
struct Handles {
    HANDLE in = nullptr;
    HANDLE out = nullptr;
    HANDLE err = nullptr;
    bool inherited = false;
};

DWORD Run(std::wstring command, DWORD flags, const Handles& handles = {},
          const wchar_t* desktop = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles.in;
    startup.hStdOutput = handles.out;
    startup.hStdError = handles.err;
    startup.lpDesktop = const_cast<wchar_t*>(desktop);
    // The program goes with this starter, should a test end it early: a
    // box left waiting must not outlive the test.
    const UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, handles.inherited, flags,
                        nullptr, nullptr, &startup, &started)) {
        return kNotStarted;
    }
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    AssignProcessToJobObject(job.get(), process.get());
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = kNotStarted;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

// The console's text, each row without its trailing blanks.
std::wstring ConsoleText() {
    const UniqueFileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!console || !GetConsoleScreenBufferInfo(console.get(), &info)) {
        return {};
    }
    std::wstring text;
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterW(console.get(), row.data(), static_cast<DWORD>(row.size()),
                                    COORD{0, y}, &read);
        const std::wstring_view line(row.data(), read);
        text += line.substr(0, line.find_last_not_of(L' ') + 1);
        text += L"\r\n";
    }
    return text;
}

void WriteUtf8(HANDLE file, const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const std::wstring_view line(arguments);
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring_view::npos) {
        return kNotStarted;
    }
    const std::wstring_view mode = line.substr(0, blank);
    const std::wstring command(line.substr(blank + 1));
    if (mode == L"explorer") {
        // The starter's standard error, when it has one to pass on: Wine
        // refuses to start a program with a handle it cannot inherit.
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD flags = 0;
        if (error == INVALID_HANDLE_VALUE || !GetHandleInformation(error, &flags) ||
            (flags & HANDLE_FLAG_INHERIT) == 0) {
            error = nullptr;
        }
        return static_cast<int>(
            Run(command, DETACHED_PROCESS, {nullptr, nullptr, error, error != nullptr}));
    }
    if (mode == L"event") {
        // Windows passes a handle that is not valid in the program's
        // process (one not inherited) as it is; Wine refuses to start the
        // program with one. A valid handle that is no stream stands for it.
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const UniqueKernelHandle event(CreateEventW(&inherit, TRUE, FALSE, nullptr));
        const HANDLE none = event.get();
        return static_cast<int>(Run(command, DETACHED_PROCESS, {none, none, none, true}));
    }
    if (mode == L"service") {
        const HWINSTA visible = GetProcessWindowStation();
        const HWINSTA hidden =
            CreateWindowStationW(L"StarterHidden", 0, WINSTA_ALL_ACCESS, nullptr);
        if (hidden == nullptr || !SetProcessWindowStation(hidden)) {
            return kNotStarted;
        }
        const HDESK desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SetProcessWindowStation(visible);
        if (desktop == nullptr) {
            return kNotStarted;
        }
        const DWORD code = Run(command, DETACHED_PROCESS, {}, L"StarterHidden\\Default");
        CloseDesktop(desktop);
        CloseWindowStation(hidden);
        return static_cast<int>(code);
    }
    if (mode == L"console") {
        const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        // Wine gives even a window program its parent's console.
        FreeConsole();
        if (!AllocConsole()) {
            return kNotStarted;
        }
        // Room for the whole usage without scrolling.
        SetConsoleScreenBufferSize(GetStdHandle(STD_OUTPUT_HANDLE), COORD{120, 200});
        const DWORD code = Run(command, 0);
        WriteUtf8(out, ConsoleText());
        return static_cast<int>(code);
    }
    return kNotStarted;
}
