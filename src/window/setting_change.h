// What a WM_SETTINGCHANGE broadcast asks of the window: the system sends one
// for every setting of any program, and only a few touch this window.
#pragma once

#include <windows.h>

enum class SettingEffect {
    kNone,
    kColours,  // high contrast: the texts' colours
    kLayout,   // the window metrics: the message font, and with it the layout
};

[[nodiscard]] SettingEffect EffectOfSettingChange(WPARAM action, LPARAM area);
