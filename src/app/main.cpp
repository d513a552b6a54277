// Loads the window, runs the message loop until it is unloaded, and returns
// the exit code.
#include <windows.h>

#include <commctrl.h>

#include "frm_title_config.h"
#include "handler_guard.h"
#include "win_registry.h"

namespace {

int Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    frmTitleConfig form(SystemRegistry());
    if (!form.Load(instance)) {
        ShowUnhandledError(nullptr, "the window could not be created");
        return frmTitleConfig::kExitUnhandledError;
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
    return got < 0 ? frmTitleConfig::kExitUnhandledError : static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int exitCode = frmTitleConfig::kExitUnhandledError;
    RunGuarded([&] { exitCode = Run(instance); },
               [](const char* what) noexcept { ShowUnhandledError(nullptr, what); });
    return exitCode;
}
