// The command line's output: the standard streams when a script redirects
// them, otherwise the console of the process that started the program.
// Windows only.
#pragma once

#include <windows.h>

#include "cli/command_runner.h"
#include "common/win_handles.h"

class StdStreams final : public CommandOutput {
public:
    Win32Error Out(std::wstring_view text) override { return Write(STD_OUTPUT_HANDLE, text); }
    void Err(std::wstring_view text) override { static_cast<void>(Write(STD_ERROR_HANDLE, text)); }

    // Whether standard output goes anywhere: a handle of its own, or the
    // console of the process that started the program.
    bool HasOutput();

private:
    Win32Error Write(DWORD stream, std::wstring_view text);
    HANDLE ParentConsole();

    bool attachTried_ = false;
    UniqueFileHandle console_;
};
