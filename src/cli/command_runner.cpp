#include "cli/command_runner.h"

#include <string>

#include "common/exit_codes.h"
#include "store/save_result.h"
#include "store/title_settings.h"

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

void PrintError(CommandOutput& output, std::wstring text) {
    text += kLineEnd;
    output.Err(text);
}

// The exit code says whether the script got the text.
int Print(CommandOutput& output, const SystemErrorTexts& errors, std::wstring_view text) {
    if (const Win32Error error = output.Out(text); error != win32_error::kSuccess) {
        PrintError(output, L"The output could not be written: " + errors.SystemErrorText(error));
        return exit_code::kOutputFailed;
    }
    return exit_code::kSuccess;
}

// Tells a script what is wrong with a title as read; 0 when it may use it.
int CheckRead(CommandOutput& output, const SystemErrorTexts& errors, const ReadResult& read,
              std::wstring_view which) {
    const std::wstring title = L"The " + std::wstring(which) + L" title ";
    switch (read.outcome) {
        case ReadOutcome::kRead:
        case ReadOutcome::kAbsent:
            return exit_code::kSuccess;
        case ReadOutcome::kOtherType:
            // Readers ignore it, as the browser does; the script may like to know.
            PrintError(output, title + L"is not a string (REG_SZ) value and is ignored.");
            return exit_code::kSuccess;
        case ReadOutcome::kLossy:
            PrintError(output,
                       title + L"holds characters that this system's code page cannot store.");
            return exit_code::kNotStorable;
        case ReadOutcome::kFailed:
            PrintError(output, title + L"could not be read: " + errors.SystemErrorText(read.error));
            return exit_code::kRegistryError;
        case ReadOutcome::kNoMemory:
            // Memory running out is no refusal of the registry's.
            PrintError(output, title + L"could not be read: " + errors.SystemErrorText(read.error));
            return exit_code::kUnexpected;
    }
    return exit_code::kUnexpected;
}

int PrintTitle(CommandOutput& output, const SystemErrorTexts& errors, const ReadResult& read,
               std::wstring_view which) {
    if (const int failed = CheckRead(output, errors, read, which); failed != exit_code::kSuccess) {
        return failed;
    }
    return Print(output, errors, read.text + std::wstring(kLineEnd));
}

int Store(CommandOutput& output, Registry registry, const SystemErrorTexts& errors,
          std::wstring_view title) {
    const SaveResult result = SetUserTitle(registry, title);
    if (result.Saved()) {
        return exit_code::kSuccess;
    }
    PrintError(output, FailureText(result, errors));
    switch (result.outcome) {
        case SaveOutcome::kRegistryError:
            return exit_code::kRegistryError;
        case SaveOutcome::kTextNotStorable:
            return exit_code::kNotStorable;
        case SaveOutcome::kSaved:
        case SaveOutcome::kNoMemory:
            break;
    }
    return exit_code::kUnexpected;
}

constexpr std::wstring_view kUser = L"per-user";
constexpr std::wstring_view kMachine = L"machine-wide";

}  // namespace

int RunCommand(const Command& command, Registry registry, const SystemErrorTexts& errors,
               CommandOutput& output) {
    switch (command.action) {
        case Action::kHelp:
            return Print(output, errors, UsageText());
        case Action::kGet:
            return PrintTitle(output, errors, ReadUserTitle(registry), kUser);
        case Action::kDefault:
            return PrintTitle(output, errors, ReadDefaultTitle(registry), kMachine);
        case Action::kSet:
            return Store(output, registry, errors, command.text);
        case Action::kReset: {
            // Only a title read whole, or the fallback for none, replaces the user's.
            const ReadResult machine = ReadDefaultTitle(registry);
            if (const int failed = CheckRead(output, errors, machine, kMachine);
                failed != exit_code::kSuccess) {
                return failed;
            }
            return Store(output, registry, errors, machine.text);
        }
        case Action::kUsageError:
            output.Err(command.text + L"\r\n\r\n" + UsageText());
            return exit_code::kUsage;
        case Action::kWindow:
            break;
    }
    return exit_code::kUnexpected;
}
