// Which setting changes the window acts on.
#include <gtest/gtest.h>

#include <windows.h>

#include "window/setting_change.h"

namespace {

struct SettingCase {
    WPARAM action;
    const wchar_t* area;
    SettingEffect effect;
};

TEST(EffectOfSettingChange, ActsOnlyOnWindowMetricsAndHighContrast) {
    const SettingCase cases[] = {
        {SPI_SETNONCLIENTMETRICS, L"WindowMetrics", SettingEffect::kLayout},
        {0, L"WindowMetrics", SettingEffect::kLayout},
        {0, L"windowmetrics", SettingEffect::kLayout},
        {SPI_SETHIGHCONTRAST, nullptr, SettingEffect::kColours},
        {0, L"Environment", SettingEffect::kNone},
        {0, L"ImmersiveColorSet", SettingEffect::kNone},
        {SPI_SETWORKAREA, nullptr, SettingEffect::kNone},
        {SPI_SETDESKWALLPAPER, L"Control Panel\\Desktop", SettingEffect::kNone},
        {0, nullptr, SettingEffect::kNone},
    };
    for (const SettingCase& c : cases) {
        EXPECT_EQ(EffectOfSettingChange(c.action, reinterpret_cast<LPARAM>(c.area)), c.effect)
            << "action " << c.action;
    }
}

}  // namespace
