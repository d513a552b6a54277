// The real program run as a script runs it under Wine: arguments in, text
// on redirected pipes, an exit code, the registry, and never a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "e2e/program_driver.h"
#include "e2e/title_values.h"

namespace {

using namespace std::string_literals;

struct ScriptRun {
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    bool showedWindow = false;
};

// Runs the program with its output captured, watching for any window it
// shows; nullopt when it does not end by itself.
std::optional<ScriptRun> RunAsScript(const std::wstring& arguments) {
    Pipe out;
    Pipe err;
    const Redirect redirect{out.Write(), err.Write()};
    RunningProgram program(ProgramPath(), arguments, &redirect);
    if (!program.Started()) {
        return std::nullopt;
    }
    ScriptRun run;
    const bool ended = WaitFor([&] {
        for (HWND window : program.TopLevelWindows({})) {
            run.showedWindow = run.showedWindow || IsWindowVisible(window);
        }
        return !program.Running();
    });
    if (!ended) {
        return std::nullopt;
    }
    run.exitCode = program.WaitForExit().value_or(99);
    run.out = out.ReadAll();
    run.err = err.ReadAll();
    return run;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

class CommandLineE2E : public testing::Test {
protected:
    void SetUp() override {
        if (!UnderWine()) {
            GTEST_SKIP() << "the program writes the real registry: run only under Wine";
        }
        ClearTitles();
    }
    void TearDown() override { ClearTitles(); }

    // Runs and checks what every run promises: it ends by itself and shows
    // nothing.
    ScriptRun Run(const std::wstring& arguments) {
        const auto run = RunAsScript(arguments);
        EXPECT_TRUE(run.has_value()) << "the program did not end by itself";
        EXPECT_FALSE(run && run->showedWindow) << "the program showed a window";
        return run.value_or(ScriptRun{99, {}, {}, false});
    }
};

struct TitleCase {
    const char* name;
    std::wstring title;
};

class CommandLineRoundTrip : public CommandLineE2E,
                             public testing::WithParamInterface<TitleCase> {};

TEST_P(CommandLineRoundTrip, SetStoresTheTitleAndGetPrintsIt) {
    const std::wstring& title = GetParam().title;
    const ScriptRun set = Run(L"/set \"" + title + L"\"");
    EXPECT_EQ(set.exitCode, 0u);
    EXPECT_EQ(set.out + set.err, "");
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, title + L'\0'}));

    const ScriptRun get = Run(L"-GET");
    EXPECT_EQ(get.exitCode, 0u);
    EXPECT_EQ(get.out, Utf8(title) + "\r\n");
    EXPECT_EQ(get.err, "");
}

const TitleCase kTitles[] = {
    {"Plain", L"My own browser"},
    {"Empty", L""},
    {"GreekAndChinese", L"\u03A9\u03BC\u03AD\u03B3\u03B1 \u4E2D\u6587\u6807\u9898"},
};

INSTANTIATE_TEST_SUITE_P(Titles, CommandLineRoundTrip, testing::ValuesIn(kTitles),
                         [](const testing::TestParamInfo<TitleCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(CommandLineE2E, DefaultPrintsTheMachineTitleOrTheFallback) {
    EXPECT_EQ(Run(L"/default").out, "Microsoft Internet Explorer\r\n");
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_LOCAL_MACHINE, REG_SZ, L"Corporate\0"s));
    const ScriptRun run = Run(L"/default");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Corporate\r\n");
}

TEST_F(CommandLineE2E, ResetStoresTheDefaultAsTheUserTitle) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Mine\0"s));
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_LOCAL_MACHINE, REG_SZ, L"Corporate\0"s));
    EXPECT_EQ(Run(L"/reset").exitCode, 0u);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, L"Corporate\0"s}));
    EXPECT_EQ(ReadTitle(HKEY_LOCAL_MACHINE), (Stored{REG_SZ, L"Corporate\0"s}));
}

TEST_F(CommandLineE2E, HelpGoesToOutputAndABadSwitchToTheErrorStream) {
    const ScriptRun help = Run(L"/?");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("/set TEXT"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const ScriptRun bad = Run(L"/title x");
    EXPECT_EQ(bad.exitCode, 1u);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("Unknown switch: /title\r\n", 0), 0u) << bad.err;
    EXPECT_NE(bad.err.find("/set TEXT"), std::string::npos);
}

TEST_F(CommandLineE2E, ARefusedWriteExitsWithTwoAndWritesNothing) {
    const UnwritableUserTitle unwritable;
    ASSERT_TRUE(unwritable.Active());
    const ScriptRun run = Run(L"/set Mine");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("The title was not changed.\r\n", 0), 0u) << run.err;
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);
}

}  // namespace
