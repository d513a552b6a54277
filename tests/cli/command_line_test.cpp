// The command line's rules: what each line asks for, and the exit codes of
// failed writes.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "cli/command_runner.h"
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
    {"EmptyArgument", L"\"\"", Usage(L"Unknown switch: ")},
    {"PrefixOfASwitch", L"/ge", Usage(L"Unknown switch: /ge")},
};

class ParseCommandLineTable : public testing::TestWithParam<LineCase> {};

TEST_P(ParseCommandLineTable, GivesTheAction) {
    EXPECT_EQ(ParseCommandLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseCommandLineTable, testing::ValuesIn(kLines),
                         CaseName<LineCase>);

class RecordingOutput final : public CommandOutput {
public:
    Win32Error Out(std::wstring_view text) override {
        out += text;
        return win32_error::kSuccess;
    }
    void Err(std::wstring_view text) override { err += text; }
    std::wstring out;
    std::wstring err;
};

class FakeSystemErrors final : public SystemErrorTexts {
public:
    std::wstring SystemErrorText(Win32Error code) const override {
        return L"system text for " + std::to_wstring(code);
    }
};

TEST(RunCommand, AFailedWriteTellsWhyOnTheErrorStreamWithItsOwnExitCode) {
    const FakeSystemErrors errors;
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

}  // namespace
