// The layout table applied to a window at a DPI: twips to pixels, the
// message font, the controls' places and the frame around the client area.
#pragma once

#include <windows.h>

#include "common/win_handles.h"

[[nodiscard]] int TwipsToPixels(int twips, UINT dpi);

// The system's message font at `dpi`, or none.
[[nodiscard]] UniqueFont MessageFont(UINT dpi);

// The frame, of this style, whose client area is the layout's at `dpi`.
[[nodiscard]] SIZE FrameSize(UINT dpi, DWORD style, DWORD exStyle);

// Moves and sizes every control of the layout to its place at `dpi`.
void PlaceControls(HWND window, UINT dpi);

// Makes the client area exactly the layout's at `dpi`, whatever the frame
// around it measures: Wine keeps its frame at the system's DPI.
void FitFrameToClient(HWND window, UINT dpi);
