// The registry operations the title store needs, and the ANSI conversions
// that go with them, as seams free of any Windows header so that the store
// also runs against an in-memory registry.
//
// Error contract: every operation returns a Win32 error code, 0 on success. An
// out-parameter is left untouched when the operation fails, but for the one
// exception RegQueryValueExA names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/win32_error.h"

// The predefined roots, by their 32-bit handle values.
enum class RegRoot : std::uint32_t {
    kCurrentUser = 0x80000001u,
    kLocalMachine = 0x80000002u,
};

// An open key; 0 is no key.
using RegKey = std::uintptr_t;

// Registry value types (REG_*).
namespace reg_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiSz = 7;
}  // namespace reg_type

// The five advapi32 operations, in their ANSI forms. Texts are in the ANSI
// code page; `reserved` is always 0.
class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // Opens an existing key. On failure `key` is left as it was.
    [[nodiscard]] virtual Win32Error RegOpenKeyA(RegRoot root, const char* keyPath,
                                                 RegKey& key) = 0;

    // With no `data`, sets `type` and `byteCount` to the stored type and size
    // (a string's size counts its NUL where one is stored). That size may be
    // too small: Windows reports a string's UTF-16 size, which the UTF-8
    // code page can exceed. With `data` of `byteCount` bytes, also copies the
    // data and sets `byteCount` to the number copied; when they do not fit,
    // fails with kMoreData and sets `byteCount` to the size needed. Fails
    // without touching `type` or `byteCount` on key 0 or an absent value.
    //
    // The registry keeps strings in UTF-16 and converts them to the code
    // page on the way out, replacing what it lacks by best fit or '?'
    // without a word. A REG_SZ copy that lost characters so is made all the
    // same, with `type` and `byteCount` set, but the query returns
    // kNoUnicodeTranslation instead of success.
    [[nodiscard]] virtual Win32Error RegQueryValueExA(RegKey key, const char* valueName,
                                                      std::uint32_t reserved, std::uint32_t& type,
                                                      std::uint8_t* data,
                                                      std::uint32_t& byteCount) = 0;

    // Opens a key, creating it and every missing key on its path. On failure
    // `key` is left as it was.
    [[nodiscard]] virtual Win32Error RegCreateKeyA(RegRoot root, const char* keyPath,
                                                   RegKey& key) = 0;

    // Creates or replaces a value with exactly `byteCount` bytes of `data`.
    [[nodiscard]] virtual Win32Error RegSetValueExA(RegKey key, const char* valueName,
                                                    std::uint32_t reserved, std::uint32_t type,
                                                    const std::uint8_t* data,
                                                    std::uint32_t byteCount) = 0;

    // Releases a key from RegOpenKeyA or RegCreateKeyA; fails on key 0.
    [[nodiscard]] virtual Win32Error RegCloseKey(RegKey key) = 0;

protected:
    RegistryApi() = default;
    RegistryApi(const RegistryApi&) = default;
    RegistryApi& operator=(const RegistryApi&) = default;
};

// Conversions between the program's text and the ANSI code page. Both keep
// every character, NULs included; a conversion that fails gives nullopt.
// Characters the code page lacks may be replaced (Windows maps them by best
// fit), so a caller that must not lose text converts back and compares.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    [[nodiscard]] virtual std::optional<std::string> ToAnsi(std::wstring_view text) const = 0;
    [[nodiscard]] virtual std::optional<std::wstring> FromAnsi(std::string_view ansi) const = 0;

protected:
    AnsiCodec() = default;
    AnsiCodec(const AnsiCodec&) = default;
    AnsiCodec& operator=(const AnsiCodec&) = default;
};

// What the store reaches the registry through.
struct Registry {
    RegistryApi& api;
    const AnsiCodec& ansi;
};
