// What the program returns to whoever started it, from the window and from
// the command line alike.
#pragma once

namespace exit_code {
inline constexpr int kSuccess = 0;
inline constexpr int kUsage = 1;
inline constexpr int kRegistryError = 2;
inline constexpr int kUnexpected = 3;
inline constexpr int kNotStorable = 4;
inline constexpr int kOutputFailed = 5;
}  // namespace exit_code
