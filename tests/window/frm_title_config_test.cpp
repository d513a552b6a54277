// The window as the system runs it, in this process: what it leaves in the
// thread's queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/text_ids.h"
#include "support/english_texts.h"
#include "support/memory_registry.h"
#include "support/test_handles.h"
#include "window/dpi_layout.h"
#include "window/frm_title_config.h"
#include "window/window_icons.h"

namespace {

constexpr wchar_t kBoxCaption[] = L"A box after a window that was never shown";

bool QuitPending() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// Shows a box on this thread, as the program reports a window it could not
// make, while another thread plays the user: it looks for the box until the
// box has come and gone, and clicks OK on any it finds. True when the box
// was still there 300 ms after it was found.
bool BoxWaitsForItsClick() {
    std::atomic<bool> returned{false};
    bool stayed = false;
    std::thread user([&] {
        HWND box = nullptr;
        while (box == nullptr && !returned) {
            Sleep(20);
            box = FindWindowW(L"#32770", kBoxCaption);
        }
        if (box != nullptr) {
            Sleep(300);
            stayed = IsWindowVisible(box) != FALSE;
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        }
    });
    MessageBoxW(nullptr, L"The window could not be created.", kBoxCaption, MB_OK);
    returned = true;
    user.join();
    return stayed;
}

TEST(FrmTitleConfig, AWindowDestroyedBeforeItShowsLeavesNoQuitBehind) {
    MemoryRegistry api;
    Cp1252Codec codec;
    const FakeTexts errors;
    {
        frmTitleConfig form(Registry{api, codec}, errors, GetModuleHandleW(nullptr));
        ASSERT_TRUE(form.Load().Loaded());
    }
    EXPECT_FALSE(QuitPending());
    EXPECT_TRUE(BoxWaitsForItsClick());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// An icon's width, and the colour of its centre pixel.
struct IconLook {
    int width = 0;
    COLORREF centre = CLR_INVALID;
};

IconLook LookOf(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        return {};
    }
    const UniqueBitmap colour(info.hbmColor);
    const UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(colour.get(), sizeof bitmap, &bitmap);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const ScopedSelect select(dc.get(), colour.get());
    return {bitmap.bmWidth, GetPixel(dc.get(), bitmap.bmWidth / 2, bitmap.bmHeight / 2)};
}

// Each size from the image of that size or a larger one, never a smaller;
// the About picture's file holds each size the window asks for.
TEST(LoadIconScaledDown, TakesTheImageOfTheSizeOrALargerOne) {
    std::vector<int> widths;
    for (const IconImage& image : IconImages(GetModuleHandleW(nullptr), IDI_ABOUT)) {
        widths.push_back(image.width);
    }
    EXPECT_EQ(widths, std::vector<int>(std::begin(layout::kAboutIconSizes),
                                       std::end(layout::kAboutIconSizes)));
    constexpr int kSizesIcon = 3;  // 16 pixels red, 20 green, 24 blue
    const std::pair<int, COLORREF> cases[] = {
        {16, RGB(255, 0, 0)}, {18, RGB(0, 255, 0)}, {20, RGB(0, 255, 0)}, {22, RGB(0, 0, 255)}};
    for (const auto& [size, colour] : cases) {
        const UniqueIcon icon = LoadIconScaledDown(GetModuleHandleW(nullptr), kSizesIcon, size);
        const IconLook look = LookOf(icon.get());
        EXPECT_EQ(look.width, size);
        EXPECT_EQ(look.centre, colour) << size;
    }
}

// A move to a monitor of each DPI from 100% to 300%, as the system makes
// it: the layout, the caption icon and the About picture follow, the big
// icon comes at its size when asked (at the DPI the caller names too), and
// each icon replaced is destroyed.
TEST(FrmTitleConfig, FollowsEachDpiWithItsLayoutAndIcons) {
    MemoryRegistry api;
    Cp1252Codec codec;
    const FakeTexts errors;
    frmTitleConfig form(Registry{api, codec}, errors, GetModuleHandleW(nullptr));
    ASSERT_TRUE(form.Load().Loaded());
    // This thread's window: a program under test elsewhere has the class too.
    HWND window = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND found, LPARAM into) {
            wchar_t name[32] = {};
            GetClassNameW(found, name, 32);
            if (std::wstring(name) == L"frmTitleConfig") {
                *reinterpret_cast<HWND*>(into) = found;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&window));
    ASSERT_NE(window, nullptr);
    const HWND about = GetDlgItem(window, layout::kCommand3);
    const auto icon = [window](WPARAM type, LPARAM dpi = 0) {
        return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, type, dpi));
    };
    const std::pair<UINT, int> scales[] = {{120, 20}, {144, 24}, {168, 28}, {192, 32},
                                           {216, 36}, {240, 40}, {288, 48}, {96, 16}};
    for (const auto& [dpi, aboutWidth] : scales) {
        SCOPED_TRACE(dpi);
        const HICON oldSmall = icon(ICON_SMALL);
        const HICON oldBig = icon(ICON_BIG);
        const HICON oldAbout =
            reinterpret_cast<HICON>(SendMessageW(about, BM_GETIMAGE, IMAGE_ICON, 0));
        SIZE size{};
        SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size));
        RECT suggested{0, 0, size.cx, size.cy};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));

        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, TwipsToPixels(layout::kClientWidth, dpi));
        EXPECT_EQ(client.bottom, TwipsToPixels(layout::kClientHeight, dpi));
        for (const layout::Control& control : layout::kControls) {
            RECT place{};
            GetWindowRect(GetDlgItem(window, control.id), &place);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
            EXPECT_EQ(place.left, TwipsToPixels(control.box.left, dpi)) << control.id;
            EXPECT_EQ(place.bottom,
                      TwipsToPixels(control.box.top, dpi) + TwipsToPixels(control.box.height, dpi))
                << control.id;
        }
        EXPECT_EQ(
            LookOf(reinterpret_cast<HICON>(SendMessageW(about, BM_GETIMAGE, IMAGE_ICON, 0))).width,
            aboutWidth);
        EXPECT_EQ(LookOf(icon(ICON_SMALL)).width, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        const HICON big = icon(ICON_BIG);
        EXPECT_EQ(LookOf(big).width, GetSystemMetricsForDpi(SM_CXICON, dpi));
        EXPECT_EQ(icon(ICON_BIG), big);
        EXPECT_EQ(LookOf(oldSmall).width, 0);
        EXPECT_EQ(LookOf(oldAbout).width, 0);
        EXPECT_EQ(LookOf(oldBig).width, 0);
    }
    EXPECT_EQ(LookOf(icon(ICON_BIG, 192)).width, GetSystemMetricsForDpi(SM_CXICON, 192));
}

// A pseudo-language: each letter accented, each text 40% longer, brackets
// at both ends, %1 kept, so that what would be cut shows.
std::wstring Pseudo(const std::wstring& text) {
    const std::wstring plain = L"aeiouncAEIOUNC";
    const std::wstring accented =
        L"\u00E1\u00E9\u00ED\u00F6\u00FC\u00F1\u00E7\u00C1\u00C9\u00CD\u00D6\u00DC\u00D1\u00C7";
    std::wstring pseudo = L"[";
    for (const wchar_t c : text) {
        const std::size_t at = plain.find(c);
        pseudo += at == std::wstring::npos ? c : accented[at];
    }
    return pseudo + std::wstring(text.size() * 2 / 5, L'~') + L"]";
}

// Every language holds every text English has and no other, with the same
// %1s, and each of its texts fits its control from 96 to 240 DPI in the
// message font: the labels in the window as it grows for them, the buttons
// as they are.
TEST(StringTables, HoldEveryTextAndFitTheirControls) {
    const std::map<unsigned, std::wstring> english = StringTable("en-US");
    ASSERT_FALSE(english.empty());
    std::map<std::string, std::map<unsigned, std::wstring>> languages;
    for (const char* language : {"de-DE", "es-ES", "fr-FR", "ja-JP", "zh-CN"}) {
        languages[language] = StringTable(language);
    }
    for (const auto& [id, text] : english) {
        languages["pseudo"][id] = Pseudo(text);
    }
    for (const auto& [language, table] : languages) {
        SCOPED_TRACE(language);
        ASSERT_EQ(table.size(), english.size());
        for (const auto& [id, text] : english) {
            ASSERT_EQ(table.count(id), 1u) << id;
            EXPECT_EQ(table.at(id).find(L"%1") == std::wstring::npos,
                      text.find(L"%1") == std::wstring::npos)
                << id;
        }
        for (const UINT dpi : {96u, 120u, 144u, 192u, 240u}) {
            const UniqueFont font = MessageFont(dpi);
            const Growth growth =
                GrowthFor({table.at(IDS_LABEL2), table.at(IDS_LABEL1)},
                          {table.at(IDS_OK), table.at(IDS_CANCEL)}, font.get(), dpi);
            const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
            const ScopedSelect select(dc.get(), font.get());
            for (const layout::Control& control : layout::kControls) {
                if (control.text == 0 || control.kind == layout::Kind::kPictureButton) {
                    continue;
                }
                const std::wstring& text = table.at(control.text);
                SIZE size{};
                GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
                const RECT place = ControlRect(control, dpi, growth);
                const int margin = control.kind == layout::Kind::kButton ? ButtonMargin(dpi) : 0;
                EXPECT_LE(size.cx + margin, place.right - place.left)
                    << control.id << " at " << dpi;
            }
        }
    }
}

}  // namespace
