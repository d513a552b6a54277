#include "window/window_icons.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "window/dpi_layout.h"
#include "window/layout.h"

namespace {

// A DPI the caller of WM_GETICON gives: 0 for none, and nothing beyond what
// a screen has, so that no caller makes the window load a giant icon.
constexpr UINT kLowestDpi = USER_DEFAULT_SCREEN_DPI / 2;
constexpr UINT kHighestDpi = USER_DEFAULT_SCREEN_DPI * 8;

constexpr int kAboutButtonHeight = layout::FindControl(layout::kCommand3)->box.height;

// An icon resource's directory (RT_GROUP_ICON): a 6-byte header whose last
// word is the count, then 14-byte entries, each with the image's width
// (0 for 256) in its first byte, its bits per pixel in the word at 6 and
// its RT_ICON id in its last word.
constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 14;
// The format version CreateIconFromResourceEx takes for every icon since
// Windows 3.0.
constexpr DWORD kIconFormat = 0x00030000;

struct Resource {
    const std::uint8_t* bytes = nullptr;
    DWORD size = 0;
};

[[nodiscard]] Resource FindResourceBytes(HINSTANCE instance, int id, LPCWSTR type) {
    const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
    const HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    if (loaded == nullptr) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(LockResource(loaded)),
            SizeofResource(instance, found)};
}

// The RT_ICON id of the smallest image at least `size` wide, else of the
// largest; of several that wide, the deepest. 0 when there is none.
[[nodiscard]] int ImageAtLeast(const std::vector<IconImage>& images, int size) {
    const IconImage* best = nullptr;
    for (const IconImage& image : images) {
        const bool better =
            best == nullptr ||
            (image.width == best->width
                 ? image.bits > best->bits
                 : (best->width < size ? image.width > best->width
                                       : image.width >= size && image.width < best->width));
        if (better) {
            best = &image;
        }
    }
    return best != nullptr ? best->id : 0;
}

[[nodiscard]] HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

}  // namespace

std::vector<IconImage> IconImages(HINSTANCE instance, int id) {
    const Resource directory = FindResourceBytes(instance, id, RT_GROUP_ICON);
    std::vector<IconImage> images;
    if (directory.bytes == nullptr || directory.size < kDirectoryHeader) {
        return images;
    }
    std::uint16_t count = 0;
    std::memcpy(&count, directory.bytes + 4, sizeof count);
    count = static_cast<std::uint16_t>(
        std::min<std::size_t>(count, (directory.size - kDirectoryHeader) / kDirectoryEntry));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = directory.bytes + kDirectoryHeader + i * kDirectoryEntry;
        std::uint16_t bits = 0;
        std::uint16_t image = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        std::memcpy(&image, entry + 12, sizeof image);
        images.push_back({entry[0] == 0 ? 256 : entry[0], bits, image});
    }
    return images;
}

// The image is chosen here, not by LoadImage, which scales the nearest
// image, a smaller one too, up. comctl32's LoadIconWithScaleDown documents
// this rule, but Wine's loads as LoadImage does, and MinGW's import library
// lacks it.
UniqueIcon LoadIconScaledDown(HINSTANCE instance, int id, int size) {
    const int image = ImageAtLeast(IconImages(instance, id), size);
    const Resource bits = FindResourceBytes(instance, image, RT_ICON);
    if (image == 0 || bits.bytes == nullptr) {
        return UniqueIcon();
    }
    // The resource's bytes are only read, whatever the signature says.
    return UniqueIcon(CreateIconFromResourceEx(const_cast<BYTE*>(bits.bytes), bits.size, TRUE,
                                               kIconFormat, size, size, LR_DEFAULTCOLOR));
}

void WindowIcons::Apply(HWND window, HWND aboutButton, UINT dpi) {
    const HINSTANCE instance = InstanceOf(window);
    UniqueIcon about(LoadIconScaledDown(
        instance, aboutIcon_, layout::AboutIconSize(TwipsToPixels(kAboutButtonHeight, dpi))));
    SendMessageW(aboutButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(about.get()));
    about_ = std::move(about);
    UniqueIcon small(
        LoadIconScaledDown(instance, appIcon_, GetSystemMetricsForDpi(SM_CXSMICON, dpi)));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    small_ = std::move(small);
    if (big_) {
        ApplyBig(window, dpi);
    }
}

// Setting the big icon may make the system ask for it again, which then
// finds it; the old one goes once it is replaced.
void WindowIcons::ApplyBig(HWND window, UINT dpi) {
    const UniqueIcon old = std::exchange(
        big_,
        LoadIconScaledDown(InstanceOf(window), appIcon_, GetSystemMetricsForDpi(SM_CXICON, dpi)));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_.get()));
}

HICON WindowIcons::Answer(HWND window, WPARAM type, UINT askedDpi, UINT dpi) {
    if (type != ICON_BIG && type != ICON_SMALL && type != ICON_SMALL2) {
        return nullptr;
    }
    const bool big = type == ICON_BIG;
    if (askedDpi < kLowestDpi || askedDpi > kHighestDpi || askedDpi == dpi) {
        if (big && !big_) {
            ApplyBig(window, dpi);
        }
        return big ? big_.get() : small_.get();
    }
    const int size = GetSystemMetricsForDpi(big ? SM_CXICON : SM_CXSMICON, askedDpi);
    const auto held = std::find_if(otherSizes_.begin(), otherSizes_.end(),
                                   [size](const auto& entry) { return entry.first == size; });
    if (held != otherSizes_.end()) {
        return held->second.get();
    }
    UniqueIcon icon = LoadIconScaledDown(InstanceOf(window), appIcon_, size);
    const HICON answer = icon.get();
    if (answer != nullptr) {
        otherSizes_.emplace_back(size, std::move(icon));
    }
    return answer;
}
