// The Win32 error code, as GetLastError and the registry functions return
// it, free of any Windows header so that the store and both faces can name
// it anywhere.
#pragma once

#include <cstdint>

// A Win32 error code (DWORD); 0 is success.
using Win32Error = std::uint32_t;

// The codes the program and its tests name; tied to the SDK's in
// win_texts.cpp.
namespace win32_error {
inline constexpr Win32Error kSuccess = 0;
inline constexpr Win32Error kFileNotFound = 2;
inline constexpr Win32Error kAccessDenied = 5;
inline constexpr Win32Error kInvalidHandle = 6;
inline constexpr Win32Error kOutOfMemory = 14;
inline constexpr Win32Error kInvalidParameter = 87;
inline constexpr Win32Error kMoreData = 234;
inline constexpr Win32Error kChildMustBeVolatile = 1021;
inline constexpr Win32Error kNoUnicodeTranslation = 1113;
inline constexpr Win32Error kInternalError = 1359;
}  // namespace win32_error
