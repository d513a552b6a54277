// Carries out a command from the command line against the title store,
// printing instead of showing windows.
#pragma once

#include <string_view>

#include "cli/command_line.h"
#include "common/texts.h"
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
[[nodiscard]] int RunCommand(const Command& command, Registry registry, const Texts& texts,
                             CommandOutput& output);
