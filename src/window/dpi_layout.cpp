#include "window/dpi_layout.h"

#include "window/layout.h"

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

SIZE FrameSize(UINT dpi, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, TwipsToPixels(layout::kClientWidth, dpi),
               TwipsToPixels(layout::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void PlaceControls(HWND window, UINT dpi) {
    for (const layout::Control& control : layout::kControls) {
        const layout::Box& box = control.box;
        SetWindowPos(GetDlgItem(window, control.id), nullptr, TwipsToPixels(box.left, dpi),
                     TwipsToPixels(box.top, dpi), TwipsToPixels(box.width, dpi),
                     TwipsToPixels(box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FitFrameToClient(HWND window, UINT dpi) {
    RECT frame{};
    RECT client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    const int width = TwipsToPixels(layout::kClientWidth, dpi);
    const int height = TwipsToPixels(layout::kClientHeight, dpi);
    if (client.right != width || client.bottom != height) {
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left - client.right + width,
                     frame.bottom - frame.top - client.bottom + height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
