#include "cli/command_line.h"

#include <algorithm>
#include <iterator>

#include "common/text_ids.h"

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

// Each switch once: how it is parsed and how the usage shows it.
struct Switch {
    std::wstring_view name;     // after the / or -
    std::wstring_view alias;    // another name for it, or none
    std::wstring_view operand;  // the argument it takes, or none
    Action action;
    unsigned help;  // IDS_...: lines separated by \n
};

constexpr Switch kSwitches[] = {
    {L"get", {}, {}, Action::kGet, IDS_USAGE_GET},
    {L"default", {}, {}, Action::kDefault, IDS_USAGE_DEFAULT},
    {L"set", {}, L"TEXT", Action::kSet, IDS_USAGE_SET},
    {L"reset", {}, {}, Action::kReset, IDS_USAGE_RESET},
    {L"?", L"help", {}, Action::kHelp, IDS_USAGE_HELP},
};

std::wstring Syntax(const Switch& s) {
    std::wstring syntax = L"/" + std::wstring(s.name);
    if (!s.operand.empty()) {
        syntax += L" " + std::wstring(s.operand);
    }
    return syntax;
}

// One entry of the usage: the switch on a line of its own, then each line of
// its help indented by a tab. Tabs line up in a console and in a message
// box's proportional font alike, where padding with blanks does not.
void AppendEntry(std::wstring& usage, std::wstring_view syntax, std::wstring_view help) {
    usage += L"  ";
    usage += syntax;
    usage += L"\r\n";
    for (std::size_t start = 0;;) {
        const std::size_t end = help.find(L'\n', start);
        usage += L'\t';
        usage += help.substr(start, end - start);
        usage += L"\r\n";
        if (end == std::wstring_view::npos) {
            break;
        }
        start = end + 1;
    }
}

Command UsageError(std::wstring what) {
    return {Action::kUsageError, std::move(what)};
}

// An argument as a message names it: one that is empty or blank is quoted,
// so that the reader sees it at all.
std::wstring Named(const std::wstring& argument) {
    if (std::all_of(argument.begin(), argument.end(), IsBlank)) {
        return L"\"" + argument + L"\"";
    }
    return argument;
}

}  // namespace

std::wstring_view ArgumentsOf(std::wstring_view commandLine) {
    bool quoted = false;
    std::size_t i = 0;
    for (; i < commandLine.size() && (quoted || !IsBlank(commandLine[i])); ++i) {
        if (commandLine[i] == L'"') {
            quoted = !quoted;
        }
    }
    return commandLine.substr(i);
}

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

Command ParseCommandLine(std::wstring_view arguments, const Texts& texts) {
    const std::vector<std::wstring> split = SplitCommandLine(arguments);
    if (split.empty()) {
        return {};
    }
    const std::wstring& first = split.front();
    if (first.size() < 2 || (first[0] != L'/' && first[0] != L'-')) {
        return UsageError(texts.TextWith(IDS_UNKNOWN_SWITCH, {Named(first)}));
    }
    const std::wstring_view name = std::wstring_view(first).substr(1);
    const auto found =
        std::find_if(std::begin(kSwitches), std::end(kSwitches), [&](const Switch& s) {
            return EqualsFolded(name, s.name) || (!s.alias.empty() && EqualsFolded(name, s.alias));
        });
    if (found == std::end(kSwitches)) {
        return UsageError(texts.TextWith(IDS_UNKNOWN_SWITCH, {first}));
    }
    const std::size_t operands = split.size() - 1;
    const std::size_t wanted = found->operand.empty() ? 0 : 1;
    if (operands < wanted) {
        return UsageError(texts.TextWith(IDS_NEEDS_TITLE, {first}));
    }
    if (operands > wanted) {
        return UsageError(texts.TextWith(IDS_TOO_MANY_ARGUMENTS, {first}));
    }
    return {found->action, wanted == 1 ? split[1] : std::wstring()};
}

std::uint16_t ConsoleLanguage(std::uint16_t ui) {
    // Primary languages written from right to left (LANG_*), and LANGIDs.
    constexpr std::uint16_t kRightToLeft[] = {0x01, 0x0D, 0x20, 0x29, 0x5A, 0x63, 0x65, 0x80, 0x92};
    constexpr std::uint16_t kFrenchFallback[] = {0x1401, 0x1801, 0x1C01};  // ar-DZ, ar-MA, ar-TN
    constexpr std::uint16_t kEnglish = 0x0409;
    constexpr std::uint16_t kFrench = 0x040C;
    const auto primary = static_cast<std::uint16_t>(ui & 0x3FFu);
    if (std::find(std::begin(kRightToLeft), std::end(kRightToLeft), primary) ==
        std::end(kRightToLeft)) {
        return ui;
    }
    return std::find(std::begin(kFrenchFallback), std::end(kFrenchFallback), ui) !=
                   std::end(kFrenchFallback)
               ? kFrench
               : kEnglish;
}

bool HelpGoesInABox(bool hasOutput, bool sessionZero, bool stationShown) {
    return !hasOutput && !sessionZero && stationShown;
}

std::wstring UsageText(const Texts& texts) {
    std::wstring syntax;
    for (const Switch& s : kSwitches) {
        syntax += (&s == kSwitches ? L"" : L" | ") + Syntax(s);
    }
    std::wstring usage = texts.TextWith(IDS_USAGE_HEAD, {syntax});
    AppendEntry(usage, texts.Text(IDS_USAGE_NONE), texts.Text(IDS_USAGE_WINDOW));
    for (const Switch& s : kSwitches) {
        AppendEntry(usage, s.alias.empty() ? Syntax(s) : Syntax(s) + L", /" + std::wstring(s.alias),
                    texts.Text(s.help));
    }
    usage += texts.Text(IDS_USAGE_TAIL);
    return usage;
}
