#include "cli/std_streams.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

Win32Error LastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

// Console writes go in pieces: older consoles refuse large ones.
Win32Error WriteConsoleText(HANDLE console, std::wstring_view text) {
    constexpr std::size_t kPiece = 8192;
    while (!text.empty()) {
        const auto piece = static_cast<DWORD>(std::min(text.size(), kPiece));
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), piece, &written, nullptr)) {
            return LastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        text.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    // A command line holds at most 32767 characters, far below this bound.
    const int length =
        static_cast<int>(std::min<std::size_t>(text.size(), std::numeric_limits<int>::max() / 4));
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

// A file or pipe takes UTF-8. A full disk, a reader that has gone, or a
// handle not open for writing ends the writing with the system's reason.
Win32Error WriteFileText(HANDLE file, std::wstring_view text) {
    const std::string utf8 = ToUtf8(text);
    std::string_view rest = utf8;
    while (!rest.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 20));
        if (!WriteFile(file, rest.data(), piece, &written, nullptr)) {
            return LastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        rest.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

bool IsHandle(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

bool StdStreams::HasOutput() {
    return IsHandle(GetStdHandle(STD_OUTPUT_HANDLE)) || ParentConsole() != nullptr;
}

Win32Error StdStreams::Write(DWORD stream, std::wstring_view text) {
    // A program started with no standard handles (from a cmd prompt, which
    // gives a window program none) writes to the console it borrows.
    const HANDLE handle = GetStdHandle(stream);
    if (IsHandle(handle)) {
        return IsConsole(handle) ? WriteConsoleText(handle, text) : WriteFileText(handle, text);
    }
    if (const HANDLE console = ParentConsole(); console != nullptr) {
        return WriteConsoleText(console, text);
    }
    // Nowhere to write: the text is lost unless there was none.
    return text.empty() ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// A window program has no console of its own; it borrows the one of the
// process that started it, when there is one.
HANDLE StdStreams::ParentConsole() {
    if (!attachTried_) {
        attachTried_ = true;
        // Access denied means a console is attached already: Wine gives a
        // window program its parent's, where Windows gives it none.
        if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
            console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
        }
    }
    return console_ ? console_.get() : nullptr;
}
