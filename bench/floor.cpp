// The least Win32 programs the tool's start-up is measured against. Built
// plain, it shows an empty window of the tool's size and closes with its
// close box. Built with the tool's manifest and Common Controls 6
// (WITH_COMMON_CONTROLS), it shows what those cost on their own. Built as
// the whole window (WITH_CONTROLS, which implies the former), it shows the
// tool's own window: its frame, owner and seven controls at their places in
// the message font, but no registry, no icons and no tooltip. Built as the
// whole start (WITH_WHOLE_START, which implies the whole window), it also
// reads the two titles through advapi32's ANSI calls and shows them, and
// puts an icon on the picture button and in the caption; the big icon it
// makes when first asked for it (WM_GETICON), and the picture button's
// tooltip when the mouse first comes over the button (WM_SETCURSOR), as the
// tool does. That is the least that gives a person the tool's start: each
// of these is something they see or use, and none is made before it is
// needed.
#include <windows.h>
#ifdef WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif
#ifdef WITH_CONTROLS
#include <iterator>

#include "window/layout.h"
#endif
#ifdef WITH_WHOLE_START
#include "window/resource_ids.h"
#endif

namespace {

#ifdef WITH_WHOLE_START
HICON bigIcon = nullptr;
bool tooltipMade = false;

// A title as the tool reads it, without its checks: the value's text, or
// `fallback`.
void ShowTitle(HWND control, HKEY root, const wchar_t* fallback) {
    char ansi[1024] = {};
    DWORD size = sizeof ansi - 1;
    HKEY key = nullptr;
    if (RegOpenKeyA(root, "Software\\Microsoft\\Internet Explorer\\Main", &key) == ERROR_SUCCESS) {
        DWORD type = 0;
        if (RegQueryValueExA(key, "Window Title", nullptr, &type, reinterpret_cast<BYTE*>(ansi),
                             &size) != ERROR_SUCCESS) {
            ansi[0] = '\0';
        }
        RegCloseKey(key);
    }
    wchar_t text[1024] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, text, 1024);
    SetWindowTextW(control, text[0] != L'\0' || fallback == nullptr ? text : fallback);
}

void AddTooltip(HWND window) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const HWND tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                                         0, 0, 0, window, nullptr, nullptr, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, layout::kCommand3));
    static wchar_t about[64] = L"";
    LoadStringW(nullptr, IDS_ABOUT, about, static_cast<int>(std::size(about)));
    tool.lpszText = about;
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
#endif

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
#ifdef WITH_WHOLE_START
    if (message == WM_SETCURSOR && !tooltipMade &&
        reinterpret_cast<HWND>(wParam) == GetDlgItem(window, layout::kCommand3)) {
        tooltipMade = true;
        AddTooltip(window);
    }
    if (message == WM_GETICON && wParam == ICON_BIG) {
        if (bigIcon == nullptr) {
            const int size = GetSystemMetrics(SM_CXICON);
            bigIcon = static_cast<HICON>(
                LoadImageW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                           MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
            SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        }
        return reinterpret_cast<LRESULT>(bigIcon);
    }
#endif
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
        const bool picture = control.kind == layout::Kind::kPictureButton;
        const wchar_t* className = label ? WC_STATICW : edit ? WC_EDITW : WC_BUTTONW;
        const DWORD style = label  ? SS_LEFT | SS_NOPREFIX
                            : edit ? ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP
                                   : BS_PUSHBUTTON | WS_TABSTOP | (picture ? BS_ICON : 0);
        // The texts from the string table, as the tool takes them.
        wchar_t text[256] = L"";
        if (control.text != 0) {
            LoadStringW(instance, control.text, text, static_cast<int>(std::size(text)));
        }
        const HWND child = CreateWindowExW(
            edit ? WS_EX_CLIENTEDGE : 0, className, text, WS_CHILD | WS_VISIBLE | style,
            px(control.box.left), px(control.box.top), px(control.box.width),
            px(control.box.height), window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
#ifdef WITH_WHOLE_START
    ShowTitle(GetDlgItem(window, layout::kLabel3), HKEY_CURRENT_USER, nullptr);
    ShowTitle(GetDlgItem(window, layout::kText1), HKEY_LOCAL_MACHINE,
              L"Microsoft Internet Explorer");
    const int small = GetSystemMetrics(SM_CXSMICON);
    SendMessageW(GetDlgItem(window, layout::kCommand3), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_ABOUT),
                                                     IMAGE_ICON, small, small, 0)));
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(
                     LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, small, small, 0)));
#endif
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
