// The real program run as a script runs it under Wine: arguments in, text
// on redirected pipes, an exit code, the registry, and never a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/text_ids.h"
#include "e2e/program_driver.h"
#include "e2e/title_values.h"
#include "support/english_texts.h"

namespace {

using namespace std::string_literals;

struct ScriptRun {
    DWORD exitCode = 0;
    std::string out;
    std::string err;
    bool showedWindow = false;
};

// Where the program's standard output goes: a pipe the test reads, or one
// of the places a script may hand it that takes no text.
enum class Output { kPipe, kFullDisk, kPipeWithoutReader, kReadOnlyHandle, kNone };

UniqueFileHandle OpenInheritable(const wchar_t* path, DWORD access) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return UniqueFileHandle(CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                        OPEN_EXISTING, 0, nullptr));
}

// Runs the program with its output where `where` says and its errors
// captured, watching for any window it shows; nullopt when it does not end
// by itself.
std::optional<ScriptRun> RunAsScript(const std::wstring& program, const std::wstring& arguments,
                                     Output where = Output::kPipe) {
    Pipe out;
    Pipe err;
    UniqueFileHandle other;
    HANDLE stdOut = out.Write();
    switch (where) {
        case Output::kPipe:
            break;
        case Output::kFullDisk:
            other = OpenInheritable(L"Z:\\dev\\full", GENERIC_WRITE);
            if (!other) {
                return std::nullopt;
            }
            stdOut = other.get();
            break;
        case Output::kPipeWithoutReader:
            out.CloseRead();
            break;
        case Output::kReadOnlyHandle:
            other = OpenInheritable(L"NUL", GENERIC_READ);
            if (!other) {
                return std::nullopt;
            }
            stdOut = other.get();
            break;
        case Output::kNone:
            stdOut = nullptr;
            break;
    }
    const Redirect redirect{stdOut, err.Write()};
    // No output at all means no console to borrow either: the starter runs
    // the program as Explorer does, wherever this test runs.
    const bool detached = where == Output::kNone;
    RunningProgram running(detached ? StarterPath() : program,
                           detached ? L"explorer \"" + program + L"\" " + arguments : arguments,
                           &redirect);
    if (!running.Started()) {
        return std::nullopt;
    }
    ScriptRun run;
    const bool ended = WaitFor([&] {
        for (HWND window : running.TopLevelWindows({})) {
            run.showedWindow = run.showedWindow || IsWindowVisible(window);
        }
        return !running.Running();
    });
    if (!ended) {
        return std::nullopt;
    }
    run.exitCode = running.WaitForExit().value_or(99);
    run.out = where == Output::kPipe ? out.ReadAll() : std::string();
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
        TITLEBAR_REQUIRE(MayWriteRealRegistry(), kRealRegistryRefused);
        ClearTitles();
    }
    // TearDown runs after a skip too.
    void TearDown() override {
        if (MayWriteRealRegistry()) {
            ClearTitles();
        }
    }

    // Runs and checks what every run promises: it ends by itself and shows
    // nothing.
    ScriptRun Run(const std::wstring& arguments, Output where = Output::kPipe,
                  const std::wstring& program = ProgramPath()) {
        const auto run = RunAsScript(program, arguments, where);
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

// A person rather than a script: help asked for from a shortcut or the Run
// box, with no console and no output, comes in a box that waits for its
// click; typed at a cmd prompt, it goes to that console; on a desktop that
// nobody sees, it shows nothing that would wait for ever.
// Nowhere: no standard handles, or handles that are no stream, as a careless
// launcher may pass (Wine starts the program without such handles).
class HelpWithNowhereToWrite : public CommandLineE2E,
                               public testing::WithParamInterface<const wchar_t*> {};

TEST_P(HelpWithNowhereToWrite, ComesInABox) {
    TITLEBAR_REQUIRE(OnShownDesktop(), kNoShownDesktop);
    RunningProgram starter(StarterPath(),
                           std::wstring(GetParam()) + L" \"" + ProgramPath() + L"\" /?");
    ASSERT_TRUE(starter.Started());
    const auto box = WaitForMessageBoxTitled(L"Reset Microsoft Internet Explorer Titlebar");
    ASSERT_TRUE(box.has_value()) << "no box";
    EXPECT_NE(box->text.find(L"/set TEXT"), std::wstring::npos);
    EXPECT_TRUE(box->hasIcon);
    EXPECT_TRUE(starter.Running());
    Dismiss(*box);
    EXPECT_EQ(starter.WaitForExit(), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Starts, HelpWithNowhereToWrite, testing::Values(L"explorer", L"event"),
                         [](const testing::TestParamInfo<const wchar_t*>& param) {
                             return std::string(param.param[1] == L'x' ? "NoHandles"
                                                                       : "EventHandles");
                         });

TEST_F(CommandLineE2E, HelpTypedAtAConsoleGoesToThatConsole) {
    Pipe console;
    const Redirect redirect{console.Write(), console.Write()};
    RunningProgram starter(StarterPath(), L"console \"" + ProgramPath() + L"\" /?", &redirect);
    ASSERT_TRUE(starter.Started());
    ASSERT_EQ(starter.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_NE(console.ReadAll().find("/set TEXT"), std::string::npos);
}

TEST_F(CommandLineE2E, HelpOnADesktopNobodySeesShowsNoBox) {
    RunningProgram starter(StarterPath(), L"service \"" + ProgramPath() + L"\" /?");
    ASSERT_TRUE(starter.Started());
    EXPECT_EQ(starter.WaitForExit(), std::optional<DWORD>(5)) << "a box waits for ever";
}

// The build without the UTF-8 code page reads the title in its ANSI code
// page, and still writes UTF-8 to a pipe.
TEST_F(CommandLineE2E, RedirectedOutputIsUtf8WhateverTheCodePage) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Caf\u00E9\0"s));
    const ScriptRun run = Run(L"/get", Output::kPipe, LegacyCodePageProgramPath());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "Caf\xC3\xA9\r\n");
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

// A run that ended before putting the titles back, whose process id a
// later run has again: the next start puts its journal back, security
// included, and keeps what it replaces.
TEST_F(CommandLineE2E, AnEndedRunsJournalIsPutBackWhateverItsProcessId) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Before the crash\0"s));
    ASSERT_TRUE(JournalAsEarlierRun(HKEY_CURRENT_USER, 1));
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Left by the crash\0"s));
    {
        const UnreadableTitle left(HKEY_CURRENT_USER);
        ASSERT_TRUE(left.Active());
        PutBackEndedRuns();
        EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, L"Before the crash\0"s}));
    }
    EXPECT_EQ(TakeKeptTitles(HKEY_CURRENT_USER),
              (std::vector<Stored>{{REG_SZ, L"Left by the crash\0"s}}));
}

// Windows keeps a DACL's auto-inherited or protected mark only when the
// descriptor set asks for it; Wine keeps it anyway, so the put-back reads
// back equal here either way and only the request itself can be seen.
TEST(Journal, AsksWindowsToKeepADaclsMarks) {
    const std::pair<const wchar_t*, bool> descriptors[] = {
        {L"D:AI(A;CIID;KA;;;WD)", true}, {L"D:PAI(A;;KA;;;WD)", true}, {L"D:(A;;KA;;;WD)", false}};
    for (const auto& [sddl, asks] : descriptors) {
        PSECURITY_DESCRIPTOR made = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                         &made, nullptr));
        const UniqueLocalMemory owned(made);
        const auto* bytes = static_cast<const BYTE*>(made);
        std::vector<BYTE> copy =
            WithInheritRequest({bytes, bytes + GetSecurityDescriptorLength(made)});
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ASSERT_TRUE(GetSecurityDescriptorControl(copy.data(), &control, &revision));
        EXPECT_EQ((control & SE_DACL_AUTO_INHERIT_REQ) != 0, asks) << Ascii(sddl);
    }
}

// A script can trust every exit code: output that went nowhere, a title
// that could not be read, or one the code page mangled on the way in gives
// an error, one line on the error stream, and no change to the user's title.
struct FailureCase {
    const char* name;
    std::vector<std::pair<HKEY, std::wstring>> titles;  // seeded as REG_SZ
    HKEY unreadable;                                    // a root whose title key denies reading
    bool legacyCodePage;                                // the build without the UTF-8 code page
    std::wstring arguments;
    Output output;
    DWORD exitCode;
    std::string error;  // how the one line on the error stream starts
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;
const std::string kLostOutput = "The output could not be written: ";

const FailureCase kFailures[] = {
    {"GetToAFullDisk",
     {{kUser, L"Mine"}},
     nullptr,
     false,
     L"/get",
     Output::kFullDisk,
     5,
     kLostOutput},
    {"HelpToAFullDisk", {}, nullptr, false, L"/?", Output::kFullDisk, 5, kLostOutput},
    {"DefaultToAPipeWithoutReader",
     {},
     nullptr,
     false,
     L"/default",
     Output::kPipeWithoutReader,
     5,
     kLostOutput},
    {"GetToAReadOnlyHandle",
     {{kUser, L"Mine"}},
     nullptr,
     false,
     L"/get",
     Output::kReadOnlyHandle,
     5,
     kLostOutput},
    {"GetWithNoOutputAtAll",
     {{kUser, L"Mine"}},
     nullptr,
     false,
     L"/get",
     Output::kNone,
     5,
     kLostOutput},
    {"GetOfAnUnreadableUserTitle",
     {{kUser, L"Mine"}},
     kUser,
     false,
     L"/get",
     Output::kPipe,
     2,
     "The per-user title could not be read: "},
    {"DefaultOfAnUnreadableMachineTitle",
     {{kUser, L"Mine"}, {kMachine, L"Corp"}},
     kMachine,
     false,
     L"/default",
     Output::kPipe,
     2,
     "The machine-wide title could not be read: "},
    {"ResetWithAnUnreadableMachineTitle",
     {{kUser, L"Mine"}, {kMachine, L"Corp"}},
     kMachine,
     false,
     L"/reset",
     Output::kPipe,
     2,
     "The machine-wide title could not be read: "},
    {"DefaultOfAMangledMachineTitle",
     {{kUser, L"Mine"}, {kMachine, L"\u65E5\u672C Corp"}},
     nullptr,
     true,
     L"/default",
     Output::kPipe,
     4,
     Ascii(FakeTexts().Text(IDS_MACHINE_LOSSY))},
    {"ResetWithAMangledMachineTitle",
     {{kUser, L"Mine"}, {kMachine, L"\u65E5\u672C Corp"}},
     nullptr,
     true,
     L"/reset",
     Output::kPipe,
     4,
     Ascii(FakeTexts().Text(IDS_MACHINE_LOSSY))},
    // UTF-8 carries every character but a surrogate without its pair.
    {"GetOfALoneSurrogate",
     {{kUser, L"broken \xD800 pair"}},
     nullptr,
     false,
     L"/get",
     Output::kPipe,
     4,
     Ascii(FakeTexts().Text(IDS_USER_LOSSY))},
};

class CommandLineFailures : public CommandLineE2E,
                            public testing::WithParamInterface<FailureCase> {};

TEST_P(CommandLineFailures, ExitWithAnErrorAndOneLineAndChangeNothing) {
    const FailureCase& failure = GetParam();
    if (failure.output == Output::kFullDisk && !UnderWine()) {
        // Windows has no device that is always full; a volume with no room
        // left is the equivalent, which a test machine does not have.
        GTEST_SKIP() << "Wine-only: a full disk is Wine's Z:\\dev\\full";
    }
    for (const auto& [root, title] : failure.titles) {
        ASSERT_NO_FATAL_FAILURE(SeedTitle(root, REG_SZ, title + L'\0'));
    }
    const auto before = ReadTitle(kUser);
    std::optional<UnreadableTitle> unreadable;
    if (failure.unreadable != nullptr) {
        unreadable.emplace(failure.unreadable);
        ASSERT_TRUE(unreadable->Active());
    }
    const ScriptRun run = Run(failure.arguments, failure.output,
                              failure.legacyCodePage ? LegacyCodePageProgramPath() : ProgramPath());
    unreadable.reset();

    EXPECT_EQ(run.exitCode, failure.exitCode);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(failure.error, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find("\r\n"), run.err.size() - 2) << "not one line: " << run.err;
    EXPECT_EQ(ReadTitle(kUser), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineFailures, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
