// The window's layout as data: positions and sizes in twips (1/1440 inch)
// relative to the client area, converted to pixels at the window's DPI.
#pragma once

#include <cstdint>
#include <optional>

#include "common/text_ids.h"

namespace layout {

// Control ids. Ids 1 and 2 are IDOK and IDCANCEL, which the dialog manager
// sends for Enter and Escape: no control may have them (checked where the
// SDK's values are known).
enum ControlId : int {
    kLabel1 = 101,
    kLabel2 = 102,
    kLabel3 = 103,
    kText1 = 104,
    kCommand1 = 105,
    kCommand2 = 106,
    kCommand3 = 107,
};

enum class Kind { kLabel, kEdit, kButton, kPictureButton };

// What a control does when a language's longer texts need more room: the
// labels and the edit box widen with the window; OK and Cancel keep to the
// right edge, and widen leftwards when a button's text needs it.
enum class Grow { kNone, kWidth, kRightButton, kLeftButton };

struct Box {
    int left;
    int top;
    int width;
    int height;
};

struct Control {
    ControlId id;
    Kind kind;
    unsigned text;  // IDS_..., or 0 for none; a picture button's is its accessible name
    Box box;
    bool darkBlue;
    Grow grow;
};

// In window order, which is the order of creation. Screen readers name an
// edit box by the static text just before it, so Label1, the question the
// box answers, comes just before Text1. Labels take no focus: the tab order
// is Text1, OK, Cancel, About.
inline constexpr Control kControls[] = {
    {kLabel2, Kind::kLabel, IDS_LABEL2, {120, 120, 6015, 255}, false, Grow::kWidth},
    {kLabel3, Kind::kLabel, 0, {120, 480, 6015, 375}, true, Grow::kWidth},
    {kLabel1, Kind::kLabel, IDS_LABEL1, {120, 960, 6015, 255}, false, Grow::kWidth},
    {kText1, Kind::kEdit, 0, {120, 1320, 5535, 285}, true, Grow::kWidth},
    {kCommand1, Kind::kButton, IDS_OK, {5400, 2040, 975, 300}, false, Grow::kRightButton},
    {kCommand2, Kind::kButton, IDS_CANCEL, {4320, 2040, 975, 300}, false, Grow::kLeftButton},
    {kCommand3, Kind::kPictureButton, IDS_ABOUT, {120, 2040, 375, 300}, false, Grow::kNone},
};

struct Line {
    int x1;
    int y1;
    int x2;
    int y2;
    int systemColor;  // a GetSysColor index
};

// GetSysColor indices, tied to the SDK's COLOR_* where windows.h is known.
inline constexpr int kColorAppWorkspace = 12;
inline constexpr int kColorCaptionText = 9;

inline constexpr Line kLines[] = {
    {0, 1800, 6480, 1800, kColorAppWorkspace},
    {0, 1810, 6400, 1810, kColorCaptionText},
};

inline constexpr int kClientWidth = 6450;

inline constexpr int kClientHeight = 2445;

// RGB(0, 0, 128) as a COLORREF.
inline constexpr std::uint32_t kDarkBlue = 0x00800000;

// The text colour a control sets over the system's, if any: dark blue for
// the two dark-blue controls, except in high contrast, where every text
// keeps the colours the user chose.
[[nodiscard]] constexpr std::optional<std::uint32_t> TextColour(const Control& control,
                                                                bool highContrast) {
    if (control.darkBlue && !highContrast) {
        return kDarkBlue;
    }
    return std::nullopt;
}

// The control with this id, or nullptr.
[[nodiscard]] constexpr const Control* FindControl(int id) {
    for (const Control& control : kControls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

// The sizes the About picture is drawn at, each held by its icon. At 96 DPI
// the picture takes 16 of the button's 20 pixels of height; at any DPI it
// takes the drawn size nearest to that share (the smaller of two as near),
// so that it is drawn at its size at every scale from 100% to 300%.
inline constexpr int kAboutIconSizes[] = {16, 20, 24, 28, 32, 36, 40, 48};
[[nodiscard]] constexpr int AboutIconSize(int buttonHeight) {
    // Distances in fifths of a pixel: the share is four fifths.
    const auto distance = [buttonHeight](int size) {
        const int fifths = size * 5 - buttonHeight * 4;
        return fifths < 0 ? -fifths : fifths;
    };
    int nearest = kAboutIconSizes[0];
    for (const int size : kAboutIconSizes) {
        if (distance(size) < distance(nearest)) {
            nearest = size;
        }
    }
    return nearest;
}

inline constexpr int kTwipsPerInch = 1440;

}  // namespace layout
