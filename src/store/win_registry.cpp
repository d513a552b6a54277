#include "store/win_registry.h"

#include <windows.h>

#include <limits>
#include <string>

// The store names these without the SDK's headers.
static_assert(reg_type::kNone == REG_NONE);
static_assert(reg_type::kSz == REG_SZ);
static_assert(reg_type::kExpandSz == REG_EXPAND_SZ);
static_assert(reg_type::kBinary == REG_BINARY);
static_assert(reg_type::kDword == REG_DWORD);
static_assert(reg_type::kMultiSz == REG_MULTI_SZ);
// The SDK's roots are casts that no constant expression can compare;
// ToHkey maps each root to the SDK's own handle instead.

namespace {

HKEY ToHkey(RegRoot root) {
    return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY ToHkey(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

bool FitsInInt(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

// Whether an ANSI copy of a REG_SZ value kept every character of the text
// the registry holds: the copy read back from the code page must be that
// text, unit for unit. Gives kSuccess, kNoUnicodeTranslation, or why the
// stored text could not be read.
Win32Error CheckNothingLost(HKEY key, const char* valueName, const std::uint8_t* copy,
                            DWORD copyBytes) {
    const WinAnsiCodec codec;
    const auto name = codec.FromAnsi(valueName != nullptr ? valueName : "");
    const auto read = codec.FromAnsi({reinterpret_cast<const char*>(copy), copyBytes});
    if (!name || !read) {
        return win32_error::kNoUnicodeTranslation;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (const LSTATUS status =
            ::RegQueryValueExW(key, name->c_str(), nullptr, &type, nullptr, &size);
        status != ERROR_SUCCESS) {
        return static_cast<Win32Error>(status);
    }
    std::wstring stored(size / sizeof(wchar_t), L'\0');
    if (size % sizeof(wchar_t) != 0 ||
        ::RegQueryValueExW(key, name->c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(stored.data()), &size) != ERROR_SUCCESS ||
        size != stored.size() * sizeof(wchar_t)) {
        // Changed in between, or not text: nothing vouches for the copy.
        return win32_error::kNoUnicodeTranslation;
    }
    return *read == stored ? win32_error::kSuccess : win32_error::kNoUnicodeTranslation;
}

}  // namespace

Win32Error WinRegistryApi::RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    HKEY opened = nullptr;
    const auto status = static_cast<Win32Error>(::RegOpenKeyA(ToHkey(root), keyPath, &opened));
    if (status == ERROR_SUCCESS) {
        key = FromHkey(opened);
    }
    return status;
}

Win32Error WinRegistryApi::RegQueryValueExA(RegKey key, const char* valueName,
                                            std::uint32_t reserved, std::uint32_t& type,
                                            std::uint8_t* data, std::uint32_t& byteCount) {
    // Windows writes the out-parameters even on some failures; keep the
    // contract that a failure leaves them as they were.
    if (reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD gotType = type;
    DWORD gotCount = byteCount;
    const auto status = static_cast<Win32Error>(
        ::RegQueryValueExA(ToHkey(key), valueName, nullptr, &gotType, data, &gotCount));
    if (status == ERROR_SUCCESS) {
        // A copy that lost characters is still a copy; a check that could
        // not be made is a failed query.
        const Win32Error check = data != nullptr && gotType == REG_SZ
                                     ? CheckNothingLost(ToHkey(key), valueName, data, gotCount)
                                     : win32_error::kSuccess;
        if (check == win32_error::kSuccess || check == win32_error::kNoUnicodeTranslation) {
            type = gotType;
            byteCount = gotCount;
        }
        return check;
    }
    if (status == ERROR_MORE_DATA && data != nullptr) {
        byteCount = gotCount;
    }
    return status;
}

Win32Error WinRegistryApi::RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    HKEY created = nullptr;
    const auto status = static_cast<Win32Error>(::RegCreateKeyA(ToHkey(root), keyPath, &created));
    if (status == ERROR_SUCCESS) {
        key = FromHkey(created);
    }
    return status;
}

Win32Error WinRegistryApi::RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                                          std::uint32_t type, const std::uint8_t* data,
                                          std::uint32_t byteCount) {
    return static_cast<Win32Error>(
        ::RegSetValueExA(ToHkey(key), valueName, reserved, type, data, byteCount));
}

Win32Error WinRegistryApi::RegCloseKey(RegKey key) {
    return static_cast<Win32Error>(::RegCloseKey(ToHkey(key)));
}

std::optional<std::string> WinAnsiCodec::ToAnsi(std::wstring_view text) const {
    if (text.empty()) {
        return std::string();
    }
    if (!FitsInInt(text.size())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    if (::WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), needed, nullptr,
                              nullptr) != needed) {
        return std::nullopt;
    }
    return ansi;
}

std::optional<std::wstring> WinAnsiCodec::FromAnsi(std::string_view ansi) const {
    if (ansi.empty()) {
        return std::wstring();
    }
    if (!FitsInInt(ansi.size())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(ansi.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, text.data(), needed) != needed) {
        return std::nullopt;
    }
    return text;
}

Registry SystemRegistry() {
    static const WinAnsiCodec codec;
    static WinRegistryApi api;
    return {api, codec};
}
