// Seeding and reading values through the five raw operations, byte for byte,
// for tests, fuzzing and the benchmark.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/registry_api.h"

// A value as stored: its type and raw bytes.
struct RawValue {
    std::uint32_t type;
    std::string bytes;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};

// Stores exactly `bytes` (NULs included) through the raw operations. A
// non-NUL byte follows the counted data, so no terminator is added.
inline Win32Error SeedValue(RegistryApi& api, RegRoot root, const char* path, const char* name,
                            std::uint32_t type, std::string bytes) {
    RegKey key = 0;
    if (const Win32Error status = api.RegCreateKeyA(root, path, key); status != 0) {
        return status;
    }
    const auto count = static_cast<std::uint32_t>(bytes.size());
    bytes += 'Z';
    const Win32Error status = api.RegSetValueExA(
        key, name, 0, type, reinterpret_cast<const std::uint8_t*>(bytes.data()), count);
    const Win32Error closed = api.RegCloseKey(key);
    return status != 0 ? status : closed;
}

inline Win32Error SeedKey(RegistryApi& api, RegRoot root, const char* path) {
    RegKey key = 0;
    const Win32Error status = api.RegCreateKeyA(root, path, key);
    return status != 0 ? status : api.RegCloseKey(key);
}

// Reads a value back through the raw operations; nullopt when it is absent.
inline std::optional<RawValue> ReadRawValue(RegistryApi& api, RegRoot root, const char* path,
                                            const char* name) {
    RegKey key = 0;
    if (api.RegOpenKeyA(root, path, key) != 0) {
        return std::nullopt;
    }
    std::optional<RawValue> value;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (api.RegQueryValueExA(key, name, 0, type, nullptr, size) == 0) {
        std::string bytes(size, '\0');
        if (api.RegQueryValueExA(key, name, 0, type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                                 size) == 0) {
            bytes.resize(size);
            value = RawValue{type, bytes};
        }
    }
    return api.RegCloseKey(key) == 0 ? value : std::nullopt;
}
