// Loads the window, runs the message loop until it is unloaded, and returns
// the exit code.
#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "frm_title_config.h"
#include "win_registry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);

        frmTitleConfig form(SystemRegistry());
        if (!form.Load(instance)) {
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
    } catch (const std::exception& error) {
        ShowUnhandledError(nullptr, error.what());
    } catch (...) {
        ShowUnhandledError(nullptr, "unknown error");
    }
    return frmTitleConfig::kExitUnhandledError;
}
