#include "window/dpi_layout.h"

#include <algorithm>

namespace {

// Looked up by the compiler, which refuses a control the table lacks: no
// look-up runs, so none is inlined with a constant id and a tail that the
// optimiser proves dead (C4702).
constexpr int kLabelWidth = layout::FindControl(layout::kLabel1)->box.width;
constexpr int kButtonWidth = layout::FindControl(layout::kCommand1)->box.width;

}  // namespace

int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), layout::kTwipsPerInch);
}

UniqueFont MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        return UniqueFont();
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

RECT ControlRect(const layout::Control& control, UINT dpi, Growth growth) {
    const layout::Box& box = control.box;
    int left = TwipsToPixels(box.left, dpi);
    int width = TwipsToPixels(box.width, dpi);
    switch (control.grow) {
        case layout::Grow::kWidth:
            width += growth.window;
            break;
        case layout::Grow::kRightButton:
            left += growth.window - growth.buttons;
            width += growth.buttons;
            break;
        case layout::Grow::kLeftButton:
            left += growth.window - 2 * growth.buttons;
            width += growth.buttons;
            break;
        case layout::Grow::kNone:
            break;
    }
    const int top = TwipsToPixels(box.top, dpi);
    return {left, top, left + width, top + TwipsToPixels(box.height, dpi)};
}

int ButtonMargin(UINT dpi) {
    return MulDiv(8, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

Growth GrowthFor(const std::vector<std::wstring>& labels, const std::vector<std::wstring>& buttons,
                 HFONT font, UINT dpi) {
    Growth growth;
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return growth;
    }
    const HGDIOBJ previous = SelectObject(screen, font);
    const auto widest = [screen](const std::vector<std::wstring>& texts) {
        int most = 0;
        for (const std::wstring& text : texts) {
            SIZE size{};
            if (GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size)) {
                most = std::max(most, static_cast<int>(size.cx));
            }
        }
        return most;
    };
    // A static control draws its text from its left edge; a pixel to spare
    // keeps the last letter whole.
    growth.window = std::max(0, widest(labels) + 1 - TwipsToPixels(kLabelWidth, dpi));
    growth.buttons =
        std::max(0, widest(buttons) + ButtonMargin(dpi) - TwipsToPixels(kButtonWidth, dpi));
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return growth;
}

SIZE FrameSize(UINT dpi, Growth growth, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, TwipsToPixels(layout::kClientWidth, dpi) + growth.window,
               TwipsToPixels(layout::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void PlaceControls(HWND window, UINT dpi, Growth growth) {
    for (const layout::Control& control : layout::kControls) {
        const RECT place = ControlRect(control, dpi, growth);
        SetWindowPos(GetDlgItem(window, control.id), nullptr, place.left, place.top,
                     place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FitFrameToClient(HWND window, UINT dpi, Growth growth) {
    RECT frame{};
    RECT client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    const int width = TwipsToPixels(layout::kClientWidth, dpi) + growth.window;
    const int height = TwipsToPixels(layout::kClientHeight, dpi);
    if (client.right != width || client.bottom != height) {
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left - client.right + width,
                     frame.bottom - frame.top - client.bottom + height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
