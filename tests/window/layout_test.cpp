// The colour each control's text takes: the layout's dark blue for Label3
// and Text1, the user's own colours for everything in high contrast.
#include <gtest/gtest.h>

#include <utility>

#include "window/layout.h"

namespace {

TEST(TextColour, IsDarkBlueForLabel3AndText1OnlyAndNeverInHighContrast) {
    for (const layout::Control& control : layout::kControls) {
        SCOPED_TRACE(control.id);
        const bool darkBlue = control.id == layout::kLabel3 || control.id == layout::kText1;
        EXPECT_EQ(layout::TextColour(control, false),
                  darkBlue ? std::optional<std::uint32_t>(0x00800000) : std::nullopt);
        EXPECT_EQ(layout::TextColour(control, true), std::nullopt);
    }
}

// Four fifths of the button's height, as at 96 DPI: the nearest size drawn,
// the smaller of two as near.
TEST(AboutIconSize, IsTheDrawnSizeNearestFourFifthsOfTheButton) {
    const std::pair<int, int> cases[] = {{10, 16}, {20, 16}, {27, 20}, {35, 28},
                                         {50, 40}, {55, 40}, {60, 48}, {100, 48}};
    for (const auto& [height, size] : cases) {
        EXPECT_EQ(layout::AboutIconSize(height), size) << height;
    }
}

}  // namespace
