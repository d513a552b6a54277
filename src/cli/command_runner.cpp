#include "cli/command_runner.h"

#include "store/save_result.h"
#include "store/title_settings.h"

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

void PrintLine(CommandOutput& output, std::wstring_view text) {
    output.Out(text);
    output.Out(kLineEnd);
}

int Store(CommandOutput& output, Registry registry, const SystemErrorTexts& errors,
          std::wstring_view title) {
    const SaveResult result = SetUserTitle(registry, title);
    if (result.Saved()) {
        return exit_code::kSuccess;
    }
    output.Err(FailureText(result, errors));
    output.Err(kLineEnd);
    return result.outcome == SaveOutcome::kTextNotStorable ? exit_code::kNotStorable
                                                           : exit_code::kRegistryError;
}

}  // namespace

int RunCommand(const Command& command, Registry registry, const SystemErrorTexts& errors,
               CommandOutput& output) {
    switch (command.action) {
        case Action::kHelp:
            output.Out(UsageText());
            return exit_code::kSuccess;
        case Action::kGet:
            PrintLine(output, GetUserTitle(registry));
            return exit_code::kSuccess;
        case Action::kDefault:
            PrintLine(output, GetDefaultTitle(registry));
            return exit_code::kSuccess;
        case Action::kSet:
            return Store(output, registry, errors, command.text);
        case Action::kReset:
            return Store(output, registry, errors, GetDefaultTitle(registry));
        case Action::kUsageError:
            output.Err(command.text);
            output.Err(L"\r\n\r\n");
            output.Err(UsageText());
            return exit_code::kUsage;
        case Action::kWindow:
            break;
    }
    return exit_code::kUnexpected;
}
