// The program's texts from its string tables, in the user's display
// language as the resource loader chooses it, and the system's own
// descriptions of Win32 error codes. Windows only.
#pragma once

#include <cstdint>
#include <string>

#include "common/texts.h"
#include "common/win32_error.h"

class WinTexts final : public Texts {
public:
    // The texts of the user's display language as the resource loader
    // chooses it, or of `language` (a LANGID) where one is given.
    explicit WinTexts(std::uint16_t language = 0) : language_(language) {}

    // The description without its trailing line end, or "Error N." when the
    // system has none.
    [[nodiscard]] std::wstring SystemErrorText(Win32Error code) const override;
    // From the program's own module: the string table of the language,
    // then of the language of any region, then English.
    [[nodiscard]] std::wstring Text(unsigned id) const override;

private:
    std::uint16_t language_;
};
