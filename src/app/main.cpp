// Without arguments, loads the window and runs the message loop until it is
// unloaded; with arguments, carries out the command line without a window.
// Returns the exit code.
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "command_line.h"
#include "command_runner.h"
#include "frm_title_config.h"
#include "handler_guard.h"
#include "std_streams.h"
#include "system_error_text.h"
#include "win_registry.h"

static_assert(frmTitleConfig::kExitUnhandledError == exit_code::kUnexpected);

namespace {

int RunWindow(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    frmTitleConfig form(SystemRegistry());
    if (const DWORD error = form.Load(instance); error != ERROR_SUCCESS) {
        if (!form.ErrorShown()) {
            const std::wstring text = L"The window could not be created.\n\n" +
                                      DescribeSystemError(static_cast<RegStatus>(error));
            MessageBoxW(nullptr, text.c_str(), layout::kCaption, MB_OK | MB_ICONERROR);
        }
        return frmTitleConfig::kExitUnhandledError;
    }
    form.ShowCentred();

    MSG message{};
    BOOL got = FALSE;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (!form.PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return got < 0 ? frmTitleConfig::kExitUnhandledError : static_cast<int>(message.wParam);
}

// A script gets text and an exit code, never a window or a message box.
int RunScripted(const Command& command) {
    StdStreams streams;
    int exitCode = exit_code::kUnexpected;
    const bool finished =
        RunGuarded([&] { exitCode = RunCommand(command, SystemRegistry(), streams); },
                   [](const char*) noexcept {});
    if (!finished) {
        RunGuarded([&] { streams.Err(L"An error occurred that the program did not expect.\r\n"); },
                   [](const char*) noexcept {});
    }
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    std::optional<Command> command;
    RunGuarded([&] { command = ParseCommandLine(commandLine != nullptr ? commandLine : L""); },
               [](const char*) noexcept {});
    if (!command) {
        return exit_code::kUnexpected;
    }
    if (command->action != Action::kWindow) {
        return RunScripted(*command);
    }
    int exitCode = exit_code::kUnexpected;
    RunGuarded([&] { exitCode = RunWindow(instance); },
               [](const char* what) noexcept { ShowUnhandledError(nullptr, what); });
    return exitCode;
}
