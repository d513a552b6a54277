// The command line's rules: what each line asks for, and the exit codes of
// failed writes.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <new>
#include <set>
#include <sstream>

#include "cli/command_line.h"
#include "cli/command_runner.h"
#include "cli/guarded_exit_code.h"
#include "common/text_ids.h"
#include "support/english_texts.h"
#include "support/memory_registry.h"
#include "support/registry_backends.h"

namespace {

struct LineCase {
    const char* name;
    std::wstring_view line;  // what follows the program's name
    Command expected;
};

Command Usage(std::wstring what) {
    return {Action::kUsageError, std::move(what)};
}

const LineCase kLines[] = {
    {"Nothing", L"", {Action::kWindow, L""}},
    {"OnlyBlanks", L"  \t ", {Action::kWindow, L""}},
    {"Question", L"/?", {Action::kHelp, L""}},
    {"DashQuestion", L"-?", {Action::kHelp, L""}},
    {"Help", L"/help", {Action::kHelp, L""}},
    {"HelpInCapitals", L"-HELP", {Action::kHelp, L""}},
    {"Get", L"/get", {Action::kGet, L""}},
    {"GetMixedCase", L"-GeT", {Action::kGet, L""}},
    {"Default", L"/Default", {Action::kDefault, L""}},
    {"Reset", L"-reset", {Action::kReset, L""}},
    {"SetPlain", L"/set Mine", {Action::kSet, L"Mine"}},
    {"SetInCapitals", L"/SET Mine", {Action::kSet, L"Mine"}},
    {"SetQuotedKeepsBlanks", L"/set \"  two  words \"", {Action::kSet, L"  two  words "}},
    {"SetEmpty", L"/set \"\"", {Action::kSet, L""}},
    {"SetTrailingBlanksFromCmd", L"/set x  ", {Action::kSet, L"x"}},
    {"SetEscapedQuote", L"/set \"say \\\"hi\\\"\"", {Action::kSet, L"say \"hi\""}},
    {"SetDoubledQuoteInsideQuotes", L"/set \"a\"\"b\"", {Action::kSet, L"a\"b"}},
    {"SetBackslashesKept", L"/set C:\\dir\\", {Action::kSet, L"C:\\dir\\"}},
    {"SetBackslashesBeforeQuote", L"/set \"C:\\dir\\\\\"", {Action::kSet, L"C:\\dir\\"}},
    {"SetSwitchLikeText", L"/set /get", {Action::kSet, L"/get"}},
    {"SetMissingText", L"/set", Usage(L"/set needs the title to store.")},
    {"SetTwoTexts", L"/set a b", Usage(L"Too many arguments after /set.")},
    {"GetWithExtra", L"/get now", Usage(L"Too many arguments after /get.")},
    {"TwoSwitches", L"/get /default", Usage(L"Too many arguments after /get.")},
    {"Unknown", L"/bogus", Usage(L"Unknown switch: /bogus")},
    {"NoPrefix", L"get", Usage(L"Unknown switch: get")},
    {"DoubleDash", L"--get", Usage(L"Unknown switch: --get")},
    {"LoneSlash", L"/", Usage(L"Unknown switch: /")},
    {"EmptyArgument", L"\"\"", Usage(L"Unknown switch: \"\"")},
    {"BlankArgument", L"\" \t\"", Usage(L"Unknown switch: \" \t\"")},
    {"PrefixOfASwitch", L"/ge", Usage(L"Unknown switch: /ge")},
};

class ParseCommandLineTable : public testing::TestWithParam<LineCase> {};

TEST_P(ParseCommandLineTable, GivesTheAction) {
    EXPECT_EQ(ParseCommandLine(GetParam().line, FakeTexts()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseCommandLineTable, testing::ValuesIn(kLines),
                         CaseName<LineCase>);

#ifdef TITLEBAR_README
// The switches and exit codes that the usage names.
struct UsageNames {
    std::set<std::string> switches;
    std::set<std::string> codes;
};

UsageNames NamesInUsage() {
    UsageNames names;
    std::wistringstream usage(UsageText(FakeTexts()));
    bool exitCodes = false;
    for (std::wstring wide; std::getline(usage, wide);) {
        const std::string line = Ascii(wide);
        exitCodes = exitCodes || line.rfind("Exit codes:", 0) == 0;
        if (line.rfind("  /", 0) == 0) {
            names.switches.insert(line.substr(2, line.find_first_of(" ,\r", 2) - 2));
        } else if (exitCodes && line.size() > 3 &&
                   std::isdigit(static_cast<unsigned char>(line[2])) && line[3] == '\t') {
            names.codes.insert(line.substr(2, 1));
        }
    }
    return names;
}

// The Windows read-me's list of switches is written by hand: it names the
// switches that the usage names.
TEST(UsageText, NamesTheSwitchesOfTheReadMesList) {
    std::ifstream file(TITLEBAR_READ_ME);
    ASSERT_TRUE(file);
    std::set<std::string> listed;
    const std::string prefix = "    ietitlebar.exe /";
    for (std::string line; std::getline(file, line);) {
        if (line.rfind(prefix, 0) == 0) {
            listed.insert(
                line.substr(prefix.size() - 1, line.find(' ', prefix.size()) - prefix.size() + 1));
        }
    }
    EXPECT_EQ(listed, NamesInUsage().switches);
}

// README's tables are written by hand: they name the switches and the exit
// codes that the usage names, no more and no fewer.
TEST(UsageText, NamesTheSwitchesAndExitCodesOfTheReadmesTables) {
    std::ifstream file(TITLEBAR_README);
    std::set<std::string> readmeSwitches;
    std::set<std::string> readmeCodes;
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("| `/", 0) == 0) {
            readmeSwitches.insert(line.substr(3, line.find_first_of("` ", 3) - 3));
        } else if (line.size() > 4 && line[0] == '|' &&
                   std::isdigit(static_cast<unsigned char>(line[2])) && line[3] == ' ') {
            readmeCodes.insert(line.substr(2, 1));
        }
    }
    const UsageNames usage = NamesInUsage();
    EXPECT_EQ(readmeSwitches, usage.switches);
    EXPECT_EQ(readmeCodes, usage.codes);
}
#endif

// Help comes in a box only where it would otherwise be lost and a person
// sees the box.
TEST(HelpGoesInABox, OnlyWithNoOutputOnADesktopAPersonSees) {
    struct Row {
        bool hasOutput, sessionZero, stationShown, box;
    };
    const Row rows[] = {
        {false, false, true, true},    // Explorer, the Run box, a shortcut
        {true, false, true, false},    // a console or a redirection
        {false, true, true, false},    // a service
        {false, false, false, false},  // an agent's hidden window station
        {true, true, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HelpGoesInABox(row.hasOutput, row.sessionZero, row.stationShown), row.box)
            << row.hasOutput << row.sessionZero << row.stationShown;
    }
}

// The command line speaks a language the console shows in order: a
// language written from right to left gives way to its console fallback.
TEST(ConsoleLanguage, IsTheDisplayLanguageUnlessItIsWrittenFromRightToLeft) {
    const std::pair<std::uint16_t, std::uint16_t> languages[] = {
        {0x0401, 0x0409},  // Arabic (Saudi Arabia): English
        {0x040D, 0x0409},  // Hebrew: English
        {0x0429, 0x0409},  // Persian: English
        {0x1401, 0x040C},  // Arabic (Algeria): French
        {0x0407, 0x0407},  // German
        {0x1004, 0x1004},  // Chinese (Singapore)
    };
    for (const auto& [ui, console] : languages) {
        EXPECT_EQ(ConsoleLanguage(ui), console) << ui;
    }
}

// The program's name ends where the C runtime's argv ends it: at a blank or
// tab outside quotes, never at another control character.
TEST(ArgumentsOf, SkipsTheProgramNameAsTheRuntimeDoes) {
    const std::pair<std::wstring_view, std::wstring_view> lines[] = {
        {L"ietitlebar.exe /get", L" /get"},
        {L"\"C:\\Program Files\\ietitlebar.exe\" /get", L" /get"},
        {L"ietitlebar.exe\t/get", L"\t/get"},
        {L"\"a b\"c /get", L" /get"},
        {L"ietitlebar.exe\x01/get", L""},
        {L"\"ietitlebar.exe\"\x01/get", L""},
        {L"ietitlebar.exe", L""},
    };
    for (const auto& [line, arguments] : lines) {
        EXPECT_EQ(ArgumentsOf(line), arguments) << line.size() << " characters";
    }
}

class RecordingOutput final : public CommandOutput {
public:
    explicit RecordingOutput(Win32Error outFails = win32_error::kSuccess) : outFails_(outFails) {}
    Win32Error Out(std::wstring_view text) override {
        if (outFails_ == win32_error::kSuccess) {
            out += text;
        }
        return outFails_;
    }
    void Err(std::wstring_view text) override { err += text; }
    std::wstring out;
    std::wstring err;

private:
    Win32Error outFails_;
};

TEST(RunCommand, AFailedWriteTellsWhyOnTheErrorStreamWithItsOwnExitCode) {
    const FakeTexts errors;
    MemoryRegistry api;
    Cp1252Codec codec;
    RecordingOutput refused;
    api.Fail(RegOp::kCreate, win32_error::kAccessDenied);
    EXPECT_EQ(RunCommand({Action::kSet, L"x"}, {api, codec}, errors, refused),
              exit_code::kRegistryError);
    EXPECT_EQ(refused.err, L"The title was not changed.\r\n\r\nsystem text for 5\r\n");

    RecordingOutput lossy;
    EXPECT_EQ(RunCommand({Action::kSet, L"\u03A9"}, {api, codec}, errors, lossy),
              exit_code::kNotStorable);
    EXPECT_NE(lossy.err.find(L"code page"), std::wstring::npos);
    EXPECT_EQ(refused.out + lossy.out, L"");
}

// Memory running out is no refusal of the registry's: the unexpected error,
// said in one line, whether the store meets it or it escapes the command.
TEST(RunCommand, RunningOutOfMemoryExitsAsUnexpected) {
    const std::pair<RegOp, Command> runs[] = {{RegOp::kOpen, {Action::kGet, L""}},
                                              {RegOp::kCreate, {Action::kSet, L"New"}}};
    for (const auto& run : runs) {
        const Command& command = run.second;
        MemoryRegistry api;
        Cp1252Codec codec;
        RecordingOutput output;
        api.ExhaustMemory(run.first);
        EXPECT_EQ(GuardedExitCode(output, FakeTexts(),
                                  [&] {
                                      return RunCommand(command, {api, codec}, FakeTexts(), output);
                                  }),
                  exit_code::kUnexpected);
        EXPECT_EQ(output.out, L"");
        EXPECT_NE(output.err.find(L"system text for 14"), std::wstring::npos) << output.err.size();
    }
    RecordingOutput escaped;
    EXPECT_EQ(GuardedExitCode(escaped, FakeTexts(), []() -> int { throw std::bad_alloc(); }),
              exit_code::kUnexpected);
    EXPECT_EQ(escaped.err, L"An error occurred that the program did not expect.\r\n");
}

// What a script gets when a title cannot be trusted or the output is lost:
// an exit code, one line on the error stream, and no write of the title.
struct RunCase {
    const char* name;
    void (*setUp)(MemoryRegistry& api);
    Command command;
    Win32Error outFails;
    int exitCode;
    std::wstring out;
    std::wstring err;
};

void PrintTo(const RunCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr const char* kKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kValue = "Window Title";

void SeedTitles(MemoryRegistry& api) {
    ASSERT_EQ(
        SeedValue(api, RegRoot::kCurrentUser, kKey, kValue, reg_type::kSz, std::string("Mine", 5)),
        0u);
    ASSERT_EQ(SeedValue(api, RegRoot::kLocalMachine, kKey, kValue, reg_type::kSz,
                        std::string("?? Corp", 8)),
              0u);
}

const RunCase kRunCases[] = {
    {"GetUnreadable",
     [](MemoryRegistry& api) {
         SeedTitles(api);
         api.DenyReads(RegRoot::kCurrentUser, kKey);
     },
     {Action::kGet, L""},
     0,
     exit_code::kRegistryError,
     L"",
     L"The per-user title could not be read: system text for 5\r\n"},
    {"GetOfAnotherType",
     [](MemoryRegistry& api) {
         ASSERT_EQ(SeedValue(api, RegRoot::kCurrentUser, kKey, kValue, reg_type::kExpandSz,
                             std::string("%TEMP%", 7)),
                   0u);
     },
     {Action::kGet, L""},
     0,
     exit_code::kSuccess,
     L"\r\n",
     L"The per-user title is not a string (REG_SZ) value and is ignored.\r\n"},
    {"DefaultLossy",
     [](MemoryRegistry& api) {
         SeedTitles(api);
         api.MarkLossy(RegRoot::kLocalMachine, kKey, kValue);
     },
     {Action::kDefault, L""},
     0,
     exit_code::kNotStorable,
     L"",
     FakeTexts().Text(IDS_MACHINE_LOSSY) + L"\r\n"},
    {"ResetLossy",
     [](MemoryRegistry& api) {
         SeedTitles(api);
         api.MarkLossy(RegRoot::kLocalMachine, kKey, kValue);
     },
     {Action::kReset, L""},
     0,
     exit_code::kNotStorable,
     L"",
     FakeTexts().Text(IDS_MACHINE_LOSSY) + L"\r\n"},
    {"ResetUnreadable",
     [](MemoryRegistry& api) {
         SeedTitles(api);
         api.DenyReads(RegRoot::kLocalMachine, kKey);
     },
     {Action::kReset, L""},
     0,
     exit_code::kRegistryError,
     L"",
     L"The machine-wide title could not be read: system text for 5\r\n"},
    {"GetToALostOutput",
     SeedTitles,
     {Action::kGet, L""},
     112,
     exit_code::kOutputFailed,
     L"",
     L"The output could not be written: system text for 112\r\n"},
    {"HelpToALostOutput",
     SeedTitles,
     {Action::kHelp, L""},
     112,
     exit_code::kOutputFailed,
     L"",
     L"The output could not be written: system text for 112\r\n"},
};

class RunCommandTable : public testing::TestWithParam<RunCase> {};

TEST_P(RunCommandTable, GivesTheExitCodeAndOneLineAndStoresNothing) {
    MemoryRegistry api;
    Cp1252Codec codec;
    ASSERT_NO_FATAL_FAILURE(GetParam().setUp(api));
    const auto before = ReadRawValue(api, RegRoot::kCurrentUser, kKey, kValue);
    RecordingOutput output(GetParam().outFails);
    EXPECT_EQ(RunCommand(GetParam().command, {api, codec}, FakeTexts(), output),
              GetParam().exitCode);
    EXPECT_EQ(output.out, GetParam().out);
    EXPECT_EQ(output.err, GetParam().err);
    EXPECT_EQ(ReadRawValue(api, RegRoot::kCurrentUser, kKey, kValue), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunCommandTable, testing::ValuesIn(kRunCases), CaseName<RunCase>);

}  // namespace
