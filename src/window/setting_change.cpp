#include "window/setting_change.h"

SettingEffect EffectOfSettingChange(WPARAM action, LPARAM area) {
    if (action == SPI_SETHIGHCONTRAST) {
        return SettingEffect::kColours;
    }
    // Changed text sizes come as SPI_SETNONCLIENTMETRICS or, from the
    // settings pages, as the "WindowMetrics" area alone, named in any case
    // as registry key names are.
    const auto* name = reinterpret_cast<const wchar_t*>(area);
    if (action == SPI_SETNONCLIENTMETRICS ||
        (name != nullptr &&
         CompareStringOrdinal(name, -1, L"WindowMetrics", -1, TRUE) == CSTR_EQUAL)) {
        return SettingEffect::kLayout;
    }
    return SettingEffect::kNone;
}
