// The command line's output: the standard streams when a script redirects
// them, otherwise the console of the process that started the program.
// Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "cli/command_runner.h"
#include "common/win_handles.h"

class StdStreams final : public CommandOutput {
public:
    Win32Error Out(std::wstring_view text) override { return Write(STD_OUTPUT_HANDLE, text); }
    void Err(std::wstring_view text) override { static_cast<void>(Write(STD_ERROR_HANDLE, text)); }

    // Whether standard output goes anywhere: to a handle of its own, or to
    // the console of the process that started the program, which it
    // attaches to on the first ask.
    [[nodiscard]] bool HasOutput();

private:
    [[nodiscard]] Win32Error Write(DWORD stream, std::wstring_view text);
    [[nodiscard]] HANDLE ParentConsole();

    bool attachTried_ = false;
    UniqueFileHandle console_;
};

// Whether a standard handle is worth writing to: as the C runtime decides,
// a file, a character device (a console, NUL) or a pipe. A launcher may pass
// handles that are not valid in this process (STARTF_USESTDHANDLES without
// inheriting them), or that are no stream, which are none of these.
[[nodiscard]] bool IsStream(HANDLE handle);

// How many units of `text`, at most `limit`, end on a whole character: a
// surrogate pair is never split. `limit` is at least 2, room for one pair.
[[nodiscard]] std::size_t WholeCharactersUpTo(std::wstring_view text, std::size_t limit);
