// Without arguments, loads the window and runs the message loop until it is
// unloaded; with arguments, carries out the command line without a window.
// Returns the exit code.
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "cli/command_line.h"
#include "cli/command_runner.h"
#include "cli/guarded_exit_code.h"
#include "cli/std_streams.h"
#include "common/exit_codes.h"
#include "common/handler_guard.h"
#include "common/text_ids.h"
#include "common/win_texts.h"
#include "store/win_registry.h"
#include "window/frm_title_config.h"

namespace {

[[nodiscard]] int RunWindow(HINSTANCE instance, const Texts& texts) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    frmTitleConfig form(SystemRegistry(), texts, instance);
    if (const LoadResult loaded = form.Load(); !loaded.Loaded()) {
        if (!loaded.userTold) {
            MessageBoxW(
                nullptr,
                texts.TextWith(IDS_WINDOW_NOT_CREATED, {texts.SystemErrorText(loaded.error)})
                    .c_str(),
                texts.Text(IDS_CAPTION).c_str(), MB_OK | MB_ICONERROR | MessageBoxReading(texts));
        }
        return exit_code::kUnexpected;
    }
    form.ShowCentred();

    MSG message{};
    BOOL got = FALSE;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (!form.PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return got < 0 ? exit_code::kUnexpected : static_cast<int>(message.wParam);
}

// A session that cannot be told is taken for session 0, where no box shows.
[[nodiscard]] bool InSessionZero() {
    DWORD session = 0;
    return !ProcessIdToSessionId(GetCurrentProcessId(), &session) || session == 0;
}

[[nodiscard]] bool WindowStationShown() {
    USEROBJECTFLAGS flags{};
    return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                     nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

// A script gets text and an exit code, never a window or a message box. A
// person who asks for help from Explorer, the Run box or a shortcut has no
// console to read it in, and gets it in a box instead.
//
// The command line speaks as Windows' own console tools do: in a language
// the console can show. SetThreadUILanguage(0) sets the thread's to it
// (the display language, or that language's console fallback, English for
// Arabic and Hebrew) and gives it back; Wine gives back the display
// language as it is, and ConsoleLanguage makes Windows' choice either way.
// A box can show any language: the usage in one speaks the display
// language, which the thread's no longer is.
[[nodiscard]] int RunScripted() {
    const WinTexts display(GetUserDefaultUILanguage());
    const WinTexts texts(ConsoleLanguage(SetThreadUILanguage(0)));
    StdStreams streams;
    return GuardedExitCode(streams, texts, [&] {
        const Command command = ParseCommandLine(ArgumentsOf(GetCommandLineW()), texts);
        if (command.action == Action::kHelp &&
            HelpGoesInABox(streams.HasOutput(), InSessionZero(), WindowStationShown())) {
            MessageBoxW(nullptr, UsageText(display).c_str(), display.Text(IDS_CAPTION).c_str(),
                        MB_OK | MB_ICONINFORMATION | MessageBoxReading(display));
            return exit_code::kSuccess;
        }
        return RunCommand(command, SystemRegistry(), texts, streams);
    });
}

}  // namespace

// The whole command line, not wWinMain's: the runtime's start-up ends the
// program's name at any control character, where its own argv rules do not.
// Without arguments, the window in the display language.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::optional<bool> scripted;
    RunGuarded([&] { scripted = !SplitCommandLine(ArgumentsOf(GetCommandLineW())).empty(); },
               [](const char*) noexcept {});
    if (!scripted) {
        return exit_code::kUnexpected;
    }
    if (*scripted) {
        return RunScripted();
    }
    const WinTexts texts;
    int exitCode = exit_code::kUnexpected;
    RunGuarded([&] { exitCode = RunWindow(instance, texts); },
               [](const char* what) noexcept { ShowUnhandledError(nullptr, what); });
    return exitCode;
}
