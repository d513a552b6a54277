// Reading and writing one REG_SZ value through a Registry.
#pragma once

#include <string>
#include <string_view>

#include "store/registry_api.h"
#include "store/save_result.h"

// Why a read gave the text it gave.
enum class ReadOutcome {
    kRead,       // the value's text
    kLossy,      // the value's text as the code page carried it: characters were lost
    kAbsent,     // no key, or no value
    kOtherType,  // a value that is not REG_SZ, which readers ignore
    kFailed,     // the registry refused or failed: `error` says why
    kNoMemory,   // an allocation failed: no fault of the registry's
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::kAbsent;
    std::wstring text;  // up to its first NUL for kRead and kLossy; the default otherwise
    Win32Error error = win32_error::kSuccess;  // for kFailed and kNoMemory

    friend bool operator==(const ReadResult&, const ReadResult&) = default;
};

// Reads a REG_SZ value and says how the read went. Never throws.
[[nodiscard]] ReadResult ReadRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                                       std::wstring_view valueName,
                                       std::wstring_view defaultText) noexcept;

// Returns the text of a REG_SZ value up to its first NUL (the whole text when
// there is none), or `defaultText` when the key or value is missing, the value
// has another type, or anything fails: ReadRegString's text. Never throws.
[[nodiscard]] std::wstring GetRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                                        std::wstring_view valueName,
                                        std::wstring_view defaultText) noexcept;

// Stores `text` and a terminating NUL as a REG_SZ value, creating the key and
// any missing keys above it. Text that does not survive the round trip to the
// ANSI code page is not written. Never throws.
[[nodiscard]] SaveResult SaveRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                                       std::wstring_view valueName,
                                       std::wstring_view text) noexcept;
