// SaveRegString then GetRegString gives any text back exactly, or the save
// reported a failure and the stored value is as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "memory_registry.h"
#include "raw_values.h"
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
        Require(SeedValue(api, kRoot, kPath, kName, reg_type::kSz, previous + '\0') == 0);
    }
    if (setup & 2) {
        api.Fail(RegOp::kCreate, reg_status::kAccessDenied, 1);
    }
    if (setup & 4) {
        api.Fail(RegOp::kSet, reg_status::kChildMustBeVolatile, 1);
    }

    const auto before = ReadRawValue(api, kRoot, kPath, kName);
    const SaveResult result = SaveRegString({api, codec}, kRoot, L"Software\\Fuzz", L"Value", text);
    if (result.Saved()) {
        Require(GetRegString({api, codec}, kRoot, L"Software\\Fuzz", L"Value", L"x") == text);
    } else {
        Require(ReadRawValue(api, kRoot, kPath, kName) == before);
    }
    Require(api.OpenHandles() == 0);
    return 0;
}
