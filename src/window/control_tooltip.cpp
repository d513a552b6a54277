#include "window/control_tooltip.h"

#include <commctrl.h>

#include <utility>

void ControlTooltip::Create(HWND window, HWND control, std::wstring text, bool rightToLeft) {
    if (tooltip_ != nullptr) {
        return;
    }
    text_ = std::move(text);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    tooltip_ = CreateWindowExW(
        0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, window, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | (rightToLeft ? TTF_RTLREADING : 0u);
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text_.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ControlTooltip::OnColoursChanged() const {
    if (tooltip_ != nullptr) {
        SendMessageW(tooltip_, WM_SYSCOLORCHANGE, 0, 0);
    }
}
