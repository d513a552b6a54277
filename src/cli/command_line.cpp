#include "cli/command_line.h"

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

// Each switch once: how it is parsed and how the usage shows it.
struct Switch {
    std::wstring_view name;     // after the / or -
    std::wstring_view alias;    // another name for it, or none
    std::wstring_view operand;  // the argument it takes, or none
    Action action;
    std::wstring_view help;  // lines separated by \n
};

constexpr Switch kSwitches[] = {
    {L"get", {}, {}, Action::kGet, L"prints the per-user title"},
    {L"default",
     {},
     {},
     Action::kDefault,
     L"prints the machine-wide title, or the fallback title\n"
     L"\"Microsoft Internet Explorer\" when there is none"},
    {L"set",
     {},
     L"TEXT",
     Action::kSet,
     L"stores TEXT unchanged as the per-user title (\"\" stores an\nempty title)"},
    {L"reset", {}, {}, Action::kReset, L"stores what /default prints as the per-user title"},
    {L"?", L"help", {}, Action::kHelp, L"prints this text"},
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

Command ParseCommandLine(std::wstring_view arguments) {
    const std::vector<std::wstring> split = SplitCommandLine(arguments);
    if (split.empty()) {
        return {};
    }
    const std::wstring& first = split.front();
    if (first.size() < 2 || (first[0] != L'/' && first[0] != L'-')) {
        return UsageError(L"Unknown switch: " + Named(first));
    }
    const std::wstring_view name = std::wstring_view(first).substr(1);
    const auto found =
        std::find_if(std::begin(kSwitches), std::end(kSwitches), [&](const Switch& s) {
            return EqualsFolded(name, s.name) || (!s.alias.empty() && EqualsFolded(name, s.alias));
        });
    if (found == std::end(kSwitches)) {
        return UsageError(L"Unknown switch: " + first);
    }
    const std::size_t operands = split.size() - 1;
    const std::size_t wanted = found->operand.empty() ? 0 : 1;
    if (operands < wanted) {
        return UsageError(first + L" needs the title to store.");
    }
    if (operands > wanted) {
        return UsageError(L"Too many arguments after " + first + L".");
    }
    return {found->action, wanted == 1 ? split[1] : std::wstring()};
}

std::wstring UsageText() {
    std::wstring usage = L"Shows and changes the text the browser shows in its title bar.\r\n\r\n";
    usage += L"Usage: ietitlebar [";
    for (const Switch& s : kSwitches) {
        usage += (&s == kSwitches ? L"" : L" | ") + Syntax(s);
    }
    usage += L"]\r\n\r\n";
    AppendEntry(usage, L"(none)", L"opens the window");
    for (const Switch& s : kSwitches) {
        AppendEntry(usage, s.alias.empty() ? Syntax(s) : Syntax(s) + L", /" + std::wstring(s.alias),
                    s.help);
    }
    usage +=
        L"\r\n"
        L"Switches may start with / or - and are not case-sensitive. With any\r\n"
        L"switch the program shows no window.\r\n"
        L"\r\n"
        L"Exit codes:\r\n"
        L"  0\tdone\r\n"
        L"  1\tthe command line is wrong\r\n"
        L"  2\tthe registry refused the write, or a title could not be read\r\n"
        L"  3\tan unexpected error\r\n"
        L"  4\ta title cannot be stored, or was read with characters lost: it holds\r\n"
        L"\ta NUL, a lone surrogate, or characters the system's code page lacks\r\n"
        L"  5\tthe output could not be written\r\n";
    return usage;
}
