// What the fuzz targets share: where they keep their value, and a check
// that stops the run when it fails.
#pragma once

#include <cstdlib>
#include <string_view>

#include "store/registry_api.h"

namespace fuzz {

inline constexpr RegRoot kRoot = RegRoot::kCurrentUser;
inline constexpr const char* kPath = "Software\\Fuzz";
inline constexpr const char* kName = "Value";
inline constexpr std::wstring_view kWidePath = L"Software\\Fuzz";
inline constexpr std::wstring_view kWideName = L"Value";

// libFuzzer reports an abort as a crash and keeps the input.
inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace fuzz
