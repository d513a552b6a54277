// Carries out a command from the command line against the title store,
// printing instead of showing windows.
#pragma once

#include <string_view>

#include "command_line.h"
#include "form_handlers.h"
#include "registry_api.h"

// What the program returns to the script that ran it.
namespace exit_code {
inline constexpr int kSuccess = 0;
inline constexpr int kUsage = 1;
inline constexpr int kRegistryError = 2;
inline constexpr int kUnexpected = 3;
inline constexpr int kNotStorable = 4;
}  // namespace exit_code

// Where a command's text goes.
class CommandOutput : public SystemErrorTexts {
public:
    virtual void Out(std::wstring_view text) = 0;
    virtual void Err(std::wstring_view text) = 0;
};

// Runs anything but Action::kWindow and returns the exit code.
[[nodiscard]] int RunCommand(const Command& command, Registry registry, CommandOutput& output);
