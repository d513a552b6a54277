// Reading and writing one REG_SZ value through a Registry.
#pragma once

#include <string>
#include <string_view>

#include "store/registry_api.h"
#include "store/save_result.h"

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
