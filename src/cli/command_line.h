// The program's command line: what a script asks of it, read without any
// Windows call so that the rules can be tested anywhere. What it says to a
// person comes from Texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/texts.h"

enum class Action {
    kWindow,      // no arguments: the window
    kHelp,        // /? or /help
    kGet,         // /get
    kDefault,     // /default
    kSet,         // /set TEXT
    kReset,       // /reset
    kUsageError,  // anything else
};

struct Command {
    Action action = Action::kWindow;
    std::wstring text;  // the title for kSet; what is wrong for kUsageError
    friend bool operator==(const Command&, const Command&) = default;
};

// What follows the program's name in a whole command line, the name read as
// the C runtime reads it: up to the first blank or tab outside double
// quotes, the quotes themselves dropped.
[[nodiscard]] std::wstring_view ArgumentsOf(std::wstring_view commandLine);

// Splits the arguments that follow the program's name the way the C runtime
// does: blanks and tabs separate them, double quotes group them, `""`
// inside quotes is one quote, and backslashes escape only a quote.
[[nodiscard]] std::vector<std::wstring> SplitCommandLine(std::wstring_view arguments);

// What the arguments that follow the program's name ask for.
[[nodiscard]] Command ParseCommandLine(std::wstring_view arguments, const Texts& texts);

// Whether help that is asked for goes in a message box rather than to the
// output: only when the output goes nowhere (started from Explorer, the Run
// box or a shortcut) and a person would see the box, which is not so in
// session 0, where services run, nor on a window station that is not shown
// (a deployment agent's in the system's context): there a box would wait
// for ever.
[[nodiscard]] bool HelpGoesInABox(bool hasOutput, bool sessionZero, bool stationShown);

// The language the command line speaks, of the display language `ui`
// (LANGIDs): a console cannot show right-to-left text in order, so a
// language written so gives way to its console fallback, as it does for
// Windows' own console tools: French for Arabic of Algeria, Morocco and
// Tunisia, English for the others. Any other language stays.
[[nodiscard]] std::uint16_t ConsoleLanguage(std::uint16_t ui);

// Every switch and the exit codes, CR LF line ends included.
[[nodiscard]] std::wstring UsageText(const Texts& texts);
