// Reading and writing one REG_SZ value through a Registry.
#pragma once

#include <string>
#include <string_view>

#include "registry_api.h"

// How a write ended.
enum class SaveOutcome {
    kSaved,
    kRegistryError,    // creating the key or setting the value failed
    kTextNotStorable,  // the ANSI code page cannot carry the text unchanged
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::kSaved;
    RegStatus status = reg_status::kSuccess;  // the failing call's, for kRegistryError

    bool Saved() const { return outcome == SaveOutcome::kSaved; }
    friend bool operator==(const SaveResult&, const SaveResult&) = default;
};

// Returns the text of a REG_SZ value up to its first NUL (the whole text when
// there is none), or `defaultText` when the key or value is missing, the value
// has another type, or anything fails. Never throws.
std::wstring GetRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                          std::wstring_view valueName, std::wstring_view defaultText) noexcept;

// Stores `text` and a terminating NUL as a REG_SZ value, creating the key and
// any missing keys above it. Text that does not survive the round trip to the
// ANSI code page is not written. Never throws.
[[nodiscard]] SaveResult SaveRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                                       std::wstring_view valueName,
                                       std::wstring_view text) noexcept;
