// The window's icons, each loaded at the size its place asks for at a DPI,
// from the image of that size or a larger one scaled down: never a smaller
// one scaled up.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "common/win_handles.h"

// One image of an icon resource: its width, its colour depth and its
// RT_ICON id.
struct IconImage {
    int width;
    int bits;
    int id;
};

// The images icon `id` holds, in the order its directory lists them.
[[nodiscard]] std::vector<IconImage> IconImages(HINSTANCE instance, int id);

// Icon `id` at `size` pixels square, or null.
[[nodiscard]] UniqueIcon LoadIconScaledDown(HINSTANCE instance, int id, int size);

// The icons of one window, from the resources of the module that made it.
class WindowIcons {
public:
    WindowIcons(int appIcon, int aboutIcon) : appIcon_(appIcon), aboutIcon_(aboutIcon) {}

    // The caption icon and the About picture at the window's `dpi`, and the
    // big icon too once something has asked for it. Each old icon is
    // destroyed once its replacement is in place.
    void Apply(HWND window, HWND aboutButton, UINT dpi);

    // WM_GETICON's answer for ICON_BIG, ICON_SMALL or ICON_SMALL2 at
    // `askedDpi` (0: the window's, `dpi`); null for another type. The big
    // icon is made on the first ask: nothing shows it before Alt+Tab. Icons
    // at a DPI other than the window's are kept until the window goes, as
    // the caller may still draw them.
    [[nodiscard]] HICON Answer(HWND window, WPARAM type, UINT askedDpi, UINT dpi);

private:
    void ApplyBig(HWND window, UINT dpi);

    int appIcon_;
    int aboutIcon_;
    UniqueIcon small_;
    UniqueIcon big_;
    UniqueIcon about_;
    std::vector<std::pair<int, UniqueIcon>> otherSizes_;  // by size in pixels
};
