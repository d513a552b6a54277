// The colour each control's text takes: the layout's dark blue for Label3
// and Text1, the user's own colours for everything in high contrast.
#include <gtest/gtest.h>

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

}  // namespace
