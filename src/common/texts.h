// The texts a person reads, in the user's language, as a collaborator that
// whatever shows or prints them is given, so that they can be tested
// anywhere. Ids are in common/text_ids.h.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "common/system_error_texts.h"

// `pattern` with each %1 to %9 replaced by that argument, in one pass, so
// that a % in an argument stays as it is.
[[nodiscard]] inline std::wstring FormatText(std::wstring_view pattern,
                                             std::initializer_list<std::wstring_view> args) {
    std::wstring text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        const auto n = static_cast<std::size_t>(next - L'1');
        if (pattern[i] == L'%' && next >= L'1' && next <= L'9' && n < args.size()) {
            text += *(args.begin() + n);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

class Texts : public SystemErrorTexts {
public:
    // The text of `id`; empty when there is none.
    [[nodiscard]] virtual std::wstring Text(unsigned id) const = 0;
    // The text of `id` with %1, %2... replaced by `args`.
    [[nodiscard]] std::wstring TextWith(unsigned id,
                                        std::initializer_list<std::wstring_view> args) const {
        return FormatText(Text(id), args);
    }

protected:
    Texts() = default;
    Texts(const Texts&) = default;
    Texts& operator=(const Texts&) = default;
};
