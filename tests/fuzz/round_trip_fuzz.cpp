// SaveRegString then GetRegString gives any text back exactly, or the save
// reported a failure and the stored value is as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "store/reg_string.h"
#include "support/memory_registry.h"
#include "support/raw_values.h"

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
        fuzz::Require(SeedValue(api, fuzz::kRoot, fuzz::kPath, fuzz::kName, reg_type::kSz,
                                previous + '\0') == 0);
    }
    if (setup & 2) {
        api.Fail(RegOp::kCreate, win32_error::kAccessDenied, 1);
    }
    if (setup & 4) {
        api.Fail(RegOp::kSet, win32_error::kChildMustBeVolatile, 1);
    }

    const auto before = ReadRawValue(api, fuzz::kRoot, fuzz::kPath, fuzz::kName);
    const SaveResult result =
        SaveRegString({api, codec}, fuzz::kRoot, fuzz::kWidePath, fuzz::kWideName, text);
    if (result.Saved()) {
        fuzz::Require(GetRegString({api, codec}, fuzz::kRoot, fuzz::kWidePath, fuzz::kWideName,
                                   L"x") == text);
    } else {
        fuzz::Require(ReadRawValue(api, fuzz::kRoot, fuzz::kPath, fuzz::kName) == before);
    }
    fuzz::Require(api.OpenHandles() == 0);
    return 0;
}
