#include "command_line.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Switch names are ASCII, so an ASCII fold is case-insensitive enough and
// independent of the user's locale.
wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsFolded(std::wstring_view text, std::wstring_view lowerCase) {
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(),
                      [](wchar_t a, wchar_t b) { return FoldAscii(a) == b; });
}

struct Switch {
    std::wstring_view name;
    Action action;
    std::size_t operands;
};

constexpr Switch kSwitches[] = {
    {L"?", Action::kHelp, 0},          {L"help", Action::kHelp, 0}, {L"get", Action::kGet, 0},
    {L"default", Action::kDefault, 0}, {L"set", Action::kSet, 1},   {L"reset", Action::kReset, 0},
};

Command UsageError(std::wstring what) {
    return {Action::kUsageError, std::move(what)};
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view arguments) {
    std::vector<std::wstring> split;
    std::size_t i = 0;
    const std::size_t n = arguments.size();
    while (true) {
        while (i < n && IsBlank(arguments[i])) {
            ++i;
        }
        if (i == n) {
            return split;
        }
        std::wstring argument;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(arguments[i]))) {
            std::size_t backslashes = 0;
            while (i < n && arguments[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && arguments[i] == L'"') {
                // 2N backslashes and a quote: N backslashes, and the quote
                // groups; 2N+1: N backslashes and a literal quote.
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && i + 1 < n && arguments[i + 1] == L'"') {
                    argument += L'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, L'\\');
                if (i < n && (quoted || !IsBlank(arguments[i]))) {
                    argument += arguments[i];
                    ++i;
                }
            }
        }
        split.push_back(std::move(argument));
    }
}

Command ParseCommandLine(std::wstring_view arguments) {
    const std::vector<std::wstring> split = SplitCommandLine(arguments);
    if (split.empty()) {
        return {};
    }
    const std::wstring& first = split.front();
    if (first.size() < 2 || (first[0] != L'/' && first[0] != L'-')) {
        return UsageError(L"Unknown switch: " + first);
    }
    const std::wstring_view name = std::wstring_view(first).substr(1);
    const auto found = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                    [&](const Switch& s) { return EqualsFolded(name, s.name); });
    if (found == std::end(kSwitches)) {
        return UsageError(L"Unknown switch: " + first);
    }
    const std::size_t operands = split.size() - 1;
    if (operands < found->operands) {
        return UsageError(first + L" needs the title to store.");
    }
    if (operands > found->operands) {
        return UsageError(L"Too many arguments after " + first + L".");
    }
    return {found->action, found->operands == 1 ? split[1] : std::wstring()};
}

std::wstring_view UsageText() {
    return L"Shows and changes the text the browser shows in its title bar.\r\n"
           L"\r\n"
           L"Usage: ietitlebar [/get | /default | /set TEXT | /reset | /?]\r\n"
           L"\r\n"
           L"  (none)      opens the window\r\n"
           L"  /get        prints the per-user title\r\n"
           L"  /default    prints the machine-wide title, or the fallback title\r\n"
           L"              \"Microsoft Internet Explorer\" when there is none\r\n"
           L"  /set TEXT   stores TEXT unchanged as the per-user title (\"\" stores an\r\n"
           L"              empty title)\r\n"
           L"  /reset      stores what /default prints as the per-user title\r\n"
           L"  /?, /help   prints this text\r\n"
           L"\r\n"
           L"Switches may start with / or - and are not case-sensitive. With any\r\n"
           L"switch the program shows no window.\r\n"
           L"\r\n"
           L"Exit codes:\r\n"
           L"  0  done\r\n"
           L"  1  the command line is wrong\r\n"
           L"  2  the registry refused the write\r\n"
           L"  3  an unexpected error\r\n"
           L"  4  the title cannot be stored: it holds a NUL or characters that the\r\n"
           L"     system's code page lacks\r\n";
}
