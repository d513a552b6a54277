// GetRegString over any stored bytes, of any type, with any registry
// operation failing: it never crashes or leaks, and gives the default, the
// text up to its first NUL, or the whole text where there is none.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fuzz_support.h"
#include "store/reg_string.h"
#include "support/memory_registry.h"
#include "support/raw_values.h"

namespace {

constexpr std::size_t kMaxBytes = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint32_t type =
        input.ConsumeBool() ? reg_type::kSz : input.ConsumeIntegralInRange<std::uint32_t>(0, 11);
    const bool endsInNul = input.ConsumeBool();
    const auto failures = input.ConsumeIntegral<std::uint8_t>();
    const bool valueExists = (failures & 0x80) == 0;
    std::string bytes = input.ConsumeRemainingBytesAsString();
    bytes.resize(std::min(bytes.size(), kMaxBytes));
    if (endsInNul) {
        bytes += '\0';
    }

    MemoryRegistry api;
    const Cp1252Codec codec;
    fuzz::Require(valueExists
                      ? SeedValue(api, fuzz::kRoot, fuzz::kPath, fuzz::kName, type, bytes) == 0
                      : SeedKey(api, fuzz::kRoot, fuzz::kPath) == 0);

    // Bits 0 to 3 fail the open, the size query, the data query, the close.
    if (failures & 1) {
        api.Fail(RegOp::kOpen, win32_error::kAccessDenied, 1);
    }
    if (failures & 2) {
        api.Fail(RegOp::kQuery, win32_error::kAccessDenied, 1);
    }
    if (failures & 4) {
        api.Fail(RegOp::kQuery, win32_error::kAccessDenied, 2);
    }
    if (failures & 8) {
        api.Fail(RegOp::kClose, win32_error::kInvalidHandle, 1);
    }

    const std::wstring defaultText = L"the default";
    const std::wstring result =
        GetRegString({api, codec}, fuzz::kRoot, fuzz::kWidePath, fuzz::kWideName, defaultText);

    // A value of zero bytes needs no data query.
    const bool readable = valueExists && type == reg_type::kSz && (failures & 3) == 0 &&
                          (bytes.empty() || (failures & 4) == 0);
    if (!readable) {
        fuzz::Require(result == defaultText);
    } else {
        std::wstring text = codec.FromAnsi(bytes).value();
        text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
        fuzz::Require(result == text);
    }
    // Whatever failed, every key that was opened is closed (unless closing
    // itself was made to fail).
    fuzz::Require((failures & 8) != 0 || api.OpenHandles() == 0);
    return 0;
}
