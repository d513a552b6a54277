// The least Win32 programs the tool's start-up is measured against. Built
// plain, it shows an empty window of the tool's size and closes with its
// close box. Built with the tool's manifest and Common Controls 6
// (WITH_COMMON_CONTROLS), it shows what those cost on their own. Built as
// the whole window (WITH_CONTROLS, which implies the former), it shows the
// tool's own window: its frame, owner and seven controls at their places in
// the message font, but no registry, no icons and no tooltip.
#include <windows.h>
#ifdef WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif
#ifdef WITH_CONTROLS
#include "window/layout.h"
#endif

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

#ifdef WITH_CONTROLS
void CreateControls(HWND window, HINSTANCE instance) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    const auto px = [](int twips) { return MulDiv(twips, 96, layout::kTwipsPerInch); };
    for (const layout::Control& control : layout::kControls) {
        const bool label = control.kind == layout::Kind::kLabel;
        const bool edit = control.kind == layout::Kind::kEdit;
        const wchar_t* className = label ? WC_STATICW : edit ? WC_EDITW : WC_BUTTONW;
        const DWORD style = label  ? SS_LEFT | SS_NOPREFIX
                            : edit ? ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP
                                   : BS_PUSHBUTTON | WS_TABSTOP;
        const HWND child = CreateWindowExW(
            edit ? WS_EX_CLIENTEDGE : 0, className, control.text, WS_CHILD | WS_VISIBLE | style,
            px(control.box.left), px(control.box.top), px(control.box.width),
            px(control.box.height), window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef WITH_COMMON_CONTROLS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"Floor";
    RegisterClassW(&windowClass);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, 430, 163};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
#ifdef WITH_CONTROLS
    // Owned by a hidden window, as the tool's is, so that it has no taskbar button.
    const HWND owner = CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       instance, nullptr);
#else
    const HWND owner = nullptr;
#endif
    const HWND window = CreateWindowExW(
        exStyle, L"Floor", L"Floor", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
        frame.bottom - frame.top, owner, nullptr, instance, nullptr);
#ifdef WITH_CONTROLS
    CreateControls(window, instance);
#endif
    ShowWindow(window, SW_SHOW);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
#ifdef WITH_CONTROLS
        if (IsDialogMessageW(window, &message)) {
            continue;
        }
#endif
        DispatchMessageW(&message);
    }
    return 0;
}
