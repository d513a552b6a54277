// The command line's boundary that no exception crosses.
#pragma once

#include "cli/command_runner.h"
#include "common/exit_codes.h"
#include "common/handler_guard.h"
#include "common/text_ids.h"
#include "common/texts.h"

// The exit code `work` returns; when an error it did not expect escapes it,
// kUnexpected and one line on the error stream. Never throws.
template <class Work>
[[nodiscard]] int GuardedExitCode(CommandOutput& output, const Texts& texts, Work&& work) noexcept {
    int exitCode = exit_code::kUnexpected;
    if (!RunGuarded([&] { exitCode = work(); }, [](const char*) noexcept {})) {
        exitCode = exit_code::kUnexpected;
        RunGuarded([&] { output.Err(texts.Text(IDS_UNEXPECTED) + L"\r\n"); },
                   [](const char*) noexcept {});
    }
    return exitCode;
}
