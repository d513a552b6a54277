// A tooltip for one control, made the first time the mouse comes over it:
// from then on it takes the mouse's messages to the control.
#pragma once

#include <windows.h>

#include <string>

class ControlTooltip {
public:
    // Makes the tooltip that shows `text` over `control`, a child of
    // `window`, unless it is made already; in right-to-left reading order
    // where `rightToLeft`.
    void Create(HWND window, HWND control, std::wstring text, bool rightToLeft);
    // The system's colours changed: the tooltip takes them too.
    void OnColoursChanged() const;

private:
    HWND tooltip_ = nullptr;  // owned by the window, destroyed with it
    std::wstring text_;       // what the tooltip shows, kept while it lives
};
