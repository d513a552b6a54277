#include "cli/command_runner.h"

#include <string>

#include "common/exit_codes.h"
#include "common/text_ids.h"
#include "store/save_result.h"
#include "store/title_settings.h"

namespace {

constexpr std::wstring_view kLineEnd = L"\r\n";

void PrintError(CommandOutput& output, std::wstring text) {
    text += kLineEnd;
    output.Err(text);
}

// The exit code says whether the script got the text.
int Print(CommandOutput& output, const Texts& texts, std::wstring_view text) {
    if (const Win32Error error = output.Out(text); error != win32_error::kSuccess) {
        PrintError(output, texts.TextWith(IDS_OUTPUT_FAILED, {texts.SystemErrorText(error)}));
        return exit_code::kOutputFailed;
    }
    return exit_code::kSuccess;
}

// The texts that say what is wrong with the per-user or the machine-wide
// title.
struct Which {
    unsigned notString;
    unsigned lossy;
    unsigned unreadable;
};
constexpr Which kUser{IDS_USER_NOT_STRING, IDS_USER_LOSSY, IDS_USER_UNREADABLE};
constexpr Which kMachine{IDS_MACHINE_NOT_STRING, IDS_MACHINE_LOSSY, IDS_MACHINE_UNREADABLE};

// Tells a script what is wrong with a title as read; 0 when it may use it.
int CheckRead(CommandOutput& output, const Texts& texts, const ReadResult& read,
              const Which& which) {
    switch (read.outcome) {
        case ReadOutcome::kRead:
        case ReadOutcome::kAbsent:
            return exit_code::kSuccess;
        case ReadOutcome::kOtherType:
            // Readers ignore it, as the browser does; the script may like to know.
            PrintError(output, texts.Text(which.notString));
            return exit_code::kSuccess;
        case ReadOutcome::kLossy:
            PrintError(output, texts.Text(which.lossy));
            return exit_code::kNotStorable;
        case ReadOutcome::kFailed:
            PrintError(output,
                       texts.TextWith(which.unreadable, {texts.SystemErrorText(read.error)}));
            return exit_code::kRegistryError;
        case ReadOutcome::kNoMemory:
            // Memory running out is no refusal of the registry's.
            PrintError(output,
                       texts.TextWith(which.unreadable, {texts.SystemErrorText(read.error)}));
            return exit_code::kUnexpected;
    }
    return exit_code::kUnexpected;
}

int PrintTitle(CommandOutput& output, const Texts& texts, const ReadResult& read,
               const Which& which) {
    if (const int failed = CheckRead(output, texts, read, which); failed != exit_code::kSuccess) {
        return failed;
    }
    return Print(output, texts, read.text + std::wstring(kLineEnd));
}

int Store(CommandOutput& output, Registry registry, const Texts& texts, std::wstring_view title) {
    const SaveResult result = SetUserTitle(registry, title);
    if (result.Saved()) {
        return exit_code::kSuccess;
    }
    PrintError(output, FailureText(result, texts));
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

}  // namespace

int RunCommand(const Command& command, Registry registry, const Texts& texts,
               CommandOutput& output) {
    switch (command.action) {
        case Action::kHelp:
            return Print(output, texts, UsageText(texts));
        case Action::kGet:
            return PrintTitle(output, texts, ReadUserTitle(registry), kUser);
        case Action::kDefault:
            return PrintTitle(output, texts, ReadDefaultTitle(registry), kMachine);
        case Action::kSet:
            return Store(output, registry, texts, command.text);
        case Action::kReset: {
            // Only a title read whole, or the fallback for none, replaces the user's.
            const ReadResult machine = ReadDefaultTitle(registry);
            if (const int failed = CheckRead(output, texts, machine, kMachine);
                failed != exit_code::kSuccess) {
                return failed;
            }
            return Store(output, registry, texts, machine.text);
        }
        case Action::kUsageError:
            output.Err(command.text + L"\r\n\r\n" + UsageText(texts));
            return exit_code::kUsage;
        case Action::kWindow:
            break;
    }
    return exit_code::kUnexpected;
}
