// The browser's title-bar text, per user and machine-wide.
#pragma once

#include <string>
#include <string_view>

#include "store/reg_string.h"
#include "store/registry_api.h"

inline constexpr std::wstring_view kTitleKeyPath = L"Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr std::wstring_view kTitleValueName = L"Window Title";
inline constexpr std::wstring_view kFallbackTitle = L"Microsoft Internet Explorer";

// The per-user title, or "" when there is none.
[[nodiscard]] std::wstring GetUserTitle(Registry registry) noexcept;

// The machine-wide title, or the fallback title when it is empty or absent.
[[nodiscard]] std::wstring GetDefaultTitle(Registry registry) noexcept;

// The same two reads, saying how each went; the text is what the two above
// give, whatever the outcome.
[[nodiscard]] ReadResult ReadUserTitle(Registry registry) noexcept;
[[nodiscard]] ReadResult ReadDefaultTitle(Registry registry) noexcept;

// Stores `title` unchanged as the per-user title.
[[nodiscard]] SaveResult SetUserTitle(Registry registry, std::wstring_view title) noexcept;
