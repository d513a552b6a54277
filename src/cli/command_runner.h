// Carries out a command from the command line against the title store,
// printing instead of showing windows.
#pragma once

#include <cstdint>
#include <string_view>

#include "cli/command_line.h"
#include "common/exit_codes.h"
#include "common/handler_guard.h"
#include "common/system_error_texts.h"
#include "common/win32_error.h"
#include "store/registry_api.h"

// Where a command's text goes.
class CommandOutput {
public:
    virtual ~CommandOutput() = default;
    // Gives 0 once all of `text` is written, or why it was not.
    [[nodiscard]] virtual Win32Error Out(std::wstring_view text) = 0;
    // Best effort: a failed error stream has nowhere left to say so.
    virtual void Err(std::wstring_view text) = 0;

protected:
    CommandOutput() = default;
    CommandOutput(const CommandOutput&) = default;
    CommandOutput& operator=(const CommandOutput&) = default;
};

// Runs anything but Action::kWindow and returns the exit code.
[[nodiscard]] int RunCommand(const Command& command, Registry registry,
                             const SystemErrorTexts& errors, CommandOutput& output);

// The exit code `work` returns; when an error it did not expect escapes it,
// kUnexpected and one line on the error stream. Never throws.
template <class Work>
int GuardedExitCode(CommandOutput& output, Work&& work) noexcept {
    int exitCode = exit_code::kUnexpected;
    if (!RunGuarded([&] { exitCode = work(); }, [](const char*) noexcept {})) {
        exitCode = exit_code::kUnexpected;
        RunGuarded([&] { output.Err(L"An error occurred that the program did not expect.\r\n"); },
                   [](const char*) noexcept {});
    }
    return exitCode;
}

// A window station's flags (USEROBJECTFLAGS.dwFlags): WSF_VISIBLE.
inline constexpr std::uint32_t kWindowStationVisible = 1;

// Whether help that is asked for goes in a message box instead: only when
// standard output goes nowhere and a person would see the box, that is not
// in session 0, where services run, and not on a window station that is
// not shown, where a box would wait for ever.
bool HelpGoesInABox(bool hasOutput, std::uint32_t session, std::uint32_t windowStationFlags);
