// How a write of a title ended, and what the user is told when it failed.
#pragma once

#include <string>

#include "common/texts.h"
#include "common/win32_error.h"

enum class SaveOutcome {
    kSaved,
    kRegistryError,    // creating the key or setting the value failed
    kTextNotStorable,  // the ANSI code page cannot carry the text unchanged
    kNoMemory,         // an allocation failed: no fault of the registry's
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::kSaved;
    Win32Error error = win32_error::kSuccess;  // the failing call's, or kOutOfMemory

    [[nodiscard]] bool Saved() const { return outcome == SaveOutcome::kSaved; }
    friend bool operator==(const SaveResult&, const SaveResult&) = default;
};

// Why a write failed, for the user: the window's error box and the command
// line's error stream say the same.
[[nodiscard]] std::wstring FailureText(const SaveResult& result, const Texts& texts);
