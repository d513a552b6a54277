// The layout table applied to a window at a DPI: twips to pixels, the
// message font, the controls' places and the frame around the client area.
// A Growth says how many pixels longer texts add: none where every text
// fits the layout.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win_handles.h"
#include "window/layout.h"

// Pixels added to the window's width, and to each of OK and Cancel.
struct Growth {
    int window = 0;
    int buttons = 0;
};

[[nodiscard]] int TwipsToPixels(int twips, UINT dpi);

// The system's message font at `dpi`, or none.
[[nodiscard]] UniqueFont MessageFont(UINT dpi);

// A control's place in the client area at `dpi`.
[[nodiscard]] RECT ControlRect(const layout::Control& control, UINT dpi, Growth growth);

// The room `labels` and `buttons` need in `font` at `dpi` beyond the
// table's: the window widens for the labels, OK and Cancel for their texts.
[[nodiscard]] Growth GrowthFor(const std::vector<std::wstring>& labels,
                               const std::vector<std::wstring>& buttons, HFONT font, UINT dpi);

// The room a button's text keeps from its edges at `dpi`.
[[nodiscard]] int ButtonMargin(UINT dpi);

// The frame, of this style, whose client area is the layout's at `dpi`.
[[nodiscard]] SIZE FrameSize(UINT dpi, Growth growth, DWORD style, DWORD exStyle);

// Moves and sizes every control of the layout to its place at `dpi`.
void PlaceControls(HWND window, UINT dpi, Growth growth);

// Makes the client area exactly the layout's at `dpi`, whatever the frame
// around it measures: Wine keeps its frame at the system's DPI.
void FitFrameToClient(HWND window, UINT dpi, Growth growth);
