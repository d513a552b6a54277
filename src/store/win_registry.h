// The real registry: advapi32's ANSI functions and the process's ANSI code
// page, which a query also reads its copy back with to tell whether it lost
// characters. Windows only.
#pragma once

#include "store/registry_api.h"

class WinAnsiCodec final : public AnsiCodec {
public:
    [[nodiscard]] std::optional<std::string> ToAnsi(std::wstring_view text) const override;
    [[nodiscard]] std::optional<std::wstring> FromAnsi(std::string_view ansi) const override;
};

class WinRegistryApi final : public RegistryApi {
public:
    Win32Error RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) override;
    Win32Error RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                                std::uint32_t& type, std::uint8_t* data,
                                std::uint32_t& byteCount) override;
    Win32Error RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) override;
    Win32Error RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                              std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t byteCount) override;
    Win32Error RegCloseKey(RegKey key) override;
};

// The process's registry and code page.
[[nodiscard]] Registry SystemRegistry();
