// SaveRegString then GetRegString gives any text back exactly, or the save
// reported a failure and the stored value is as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "memory_registry.h"
#include "reg_string.h"

namespace {

constexpr RegRoot kRoot = RegRoot::kCurrentUser;
constexpr const char* kPath = "Software\\Fuzz";
constexpr const char* kName = "Value";

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The value's raw bytes, or "absent".
std::string Raw(MemoryRegistry& api) {
    RegKey key = 0;
    if (api.RegOpenKeyA(kRoot, kPath, key) != 0) {
        return "absent";
    }
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::string bytes = "absent";
    if (api.RegQueryValueExA(key, kName, 0, type, nullptr, size) == 0) {
        bytes.assign(size, '\0');
        Require(api.RegQueryValueExA(key, kName, 0, type,
                                     reinterpret_cast<std::uint8_t*>(bytes.data()), size) == 0);
        bytes += "/type" + std::to_string(type);
    }
    api.RegCloseKey(key);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto setup = input.ConsumeIntegral<std::uint8_t>();
    const std::string previous = input.ConsumeRandomLengthString(64);
    std::wstring text;
    while (input.remaining_bytes() > 0) {
        // Mostly characters of the code page, sometimes any code unit.
        text += input.ConsumeBool()
                    ? static_cast<wchar_t>(input.ConsumeIntegralInRange<int>(0, 0xFF))
                    : static_cast<wchar_t>(input.ConsumeIntegralInRange<int>(0, 0xFFFF));
    }

    MemoryRegistry api;
    const Cp1252Codec codec;
    if (setup & 1) {
        RegKey key = 0;
        Require(api.RegCreateKeyA(kRoot, kPath, key) == 0);
        Require(api.RegSetValueExA(key, kName, 0, reg_type::kSz,
                                   reinterpret_cast<const std::uint8_t*>(previous.c_str()),
                                   static_cast<std::uint32_t>(previous.size() + 1)) == 0);
        Require(api.RegCloseKey(key) == 0);
    }
    if (setup & 2)
        api.Fail(RegOp::kCreate, reg_status::kAccessDenied, 1);
    if (setup & 4)
        api.Fail(RegOp::kSet, reg_status::kChildMustBeVolatile, 1);

    const std::string before = Raw(api);
    const SaveResult result = SaveRegString({api, codec}, kRoot, L"Software\\Fuzz", L"Value", text);
    if (result.Saved()) {
        Require(GetRegString({api, codec}, kRoot, L"Software\\Fuzz", L"Value", L"x") == text);
    } else {
        Require(Raw(api) == before);
    }
    Require(api.OpenHandles() == 0);
    return 0;
}
