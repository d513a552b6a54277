#include "win_registry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <limits>
#include <type_traits>

// The store names these codes without the SDK's headers.
static_assert(reg_status::kSuccess == ERROR_SUCCESS);
static_assert(reg_status::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(reg_status::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(reg_status::kInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(reg_status::kOutOfMemory == ERROR_OUTOFMEMORY);
static_assert(reg_status::kInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(reg_status::kMoreData == ERROR_MORE_DATA);
static_assert(reg_status::kChildMustBeVolatile == ERROR_CHILD_MUST_BE_VOLATILE);
static_assert(reg_type::kNone == REG_NONE);
static_assert(reg_type::kSz == REG_SZ);
static_assert(reg_type::kExpandSz == REG_EXPAND_SZ);
static_assert(reg_type::kBinary == REG_BINARY);
static_assert(reg_type::kDword == REG_DWORD);
static_assert(reg_type::kMultiSz == REG_MULTI_SZ);
static_assert(std::is_same_v<RegStatus, std::int32_t> && sizeof(LSTATUS) == sizeof(RegStatus));
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

}  // namespace

RegStatus WinRegistryApi::RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    HKEY opened = nullptr;
    const LSTATUS status = ::RegOpenKeyA(ToHkey(root), keyPath, &opened);
    if (status == ERROR_SUCCESS) {
        key = FromHkey(opened);
    }
    return status;
}

RegStatus WinRegistryApi::RegQueryValueExA(RegKey key, const char* valueName,
                                           std::uint32_t reserved, std::uint32_t& type,
                                           std::uint8_t* data, std::uint32_t& byteCount) {
    // Windows writes the out-parameters even on some failures; keep the
    // contract that a failure leaves them as they were.
    if (reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD gotType = type;
    DWORD gotCount = byteCount;
    const LSTATUS status =
        ::RegQueryValueExA(ToHkey(key), valueName, nullptr, &gotType, data, &gotCount);
    if (status == ERROR_SUCCESS) {
        type = gotType;
        byteCount = gotCount;
    } else if (status == ERROR_MORE_DATA && data != nullptr) {
        byteCount = gotCount;
    }
    return status;
}

RegStatus WinRegistryApi::RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    HKEY created = nullptr;
    const LSTATUS status = ::RegCreateKeyA(ToHkey(root), keyPath, &created);
    if (status == ERROR_SUCCESS) {
        key = FromHkey(created);
    }
    return status;
}

RegStatus WinRegistryApi::RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                                         std::uint32_t type, const std::uint8_t* data,
                                         std::uint32_t byteCount) {
    return ::RegSetValueExA(ToHkey(key), valueName, reserved, type, data, byteCount);
}

RegStatus WinRegistryApi::RegCloseKey(RegKey key) {
    return ::RegCloseKey(ToHkey(key));
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
    static WinRegistryApi api;
    static const WinAnsiCodec codec;
    return {api, codec};
}
