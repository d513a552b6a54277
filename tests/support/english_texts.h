// The program's English texts as its resource script holds them, read from
// the script itself, so that the suites check what the program says without
// typing it again; and the made-up system error texts that tell a test which
// code a text was given.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "common/texts.h"

// The entries of a string table's script, `IDS_NAME "text"` each at the
// start of a line, by name, with the resource compiler's escapes undone.
[[nodiscard]] std::map<std::string, std::wstring> ParseStringTable(std::string_view script);

// Every text of a language's string table (src/app/lang/<language>.rc) by
// its id; empty when the table or the ids cannot be read.
[[nodiscard]] std::map<unsigned, std::wstring> StringTable(const std::string& language);

// An ASCII text, narrowed unit by unit: MSVC warns of a possible loss in
// std::string's constructor from wide characters.
[[nodiscard]] inline std::string Ascii(std::wstring_view text) {
    std::string ascii;
    for (const wchar_t c : text) {
        ascii += static_cast<char>(c);
    }
    return ascii;
}

class FakeTexts final : public Texts {
public:
    [[nodiscard]] std::wstring SystemErrorText(Win32Error code) const override {
        return L"system text for " + std::to_wstring(code);
    }
    // The English text, read once.
    [[nodiscard]] std::wstring Text(unsigned id) const override;
};
