#include "cli/std_streams.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <string>
#include <variant>

namespace {

[[nodiscard]] bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

[[nodiscard]] Win32Error LastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

// Console writes go in pieces: older consoles refuse large ones.
[[nodiscard]] Win32Error WriteConsoleText(HANDLE console, std::wstring_view text) {
    constexpr std::size_t kPiece = 8192;
    while (!text.empty()) {
        const auto piece = static_cast<DWORD>(WholeCharactersUpTo(text, kPiece));
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

// The text in UTF-8, or why it could not be converted. A stored title may
// be as long as the registry lets a value be; a text that one conversion
// cannot take whole is not written cut short.
[[nodiscard]] std::variant<std::string, Win32Error> ToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) {
        return Win32Error{ERROR_ARITHMETIC_OVERFLOW};
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return LastError();
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), needed, nullptr,
                            nullptr) != needed) {
        return LastError();
    }
    return utf8;
}

// A file or pipe takes UTF-8. A full disk, a reader that has gone, or a
// handle not open for writing ends the writing with the system's reason.
[[nodiscard]] Win32Error WriteFileText(HANDLE file, std::wstring_view text) {
    const std::variant<std::string, Win32Error> utf8 = ToUtf8(text);
    if (const Win32Error* error = std::get_if<Win32Error>(&utf8)) {
        return *error;
    }
    std::string_view rest = std::get<std::string>(utf8);
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

}  // namespace

bool IsStream(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::size_t WholeCharactersUpTo(std::wstring_view text, std::size_t limit) {
    assert(limit >= 2);
    if (text.size() <= limit) {
        return text.size();
    }
    const wchar_t last = text[limit - 1];
    return last >= 0xD800 && last <= 0xDBFF ? limit - 1 : limit;
}

bool StdStreams::HasOutput() {
    return IsStream(GetStdHandle(STD_OUTPUT_HANDLE)) || ParentConsole() != nullptr;
}

Win32Error StdStreams::Write(DWORD stream, std::wstring_view text) {
    // A program started with no standard handles (from a cmd prompt, which
    // gives a window program none) writes to the console it borrows.
    const HANDLE handle = GetStdHandle(stream);
    if (IsStream(handle)) {
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
        // Access denied means that the process has a console already, as
        // AttachConsole's documentation says: Wine gives a window program
        // its parent's, and Windows one that a launcher asked for.
        if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
            console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
        }
    }
    return console_ ? console_.get() : nullptr;
}
