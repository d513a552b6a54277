// The window as the system runs it, in this process: what it leaves in the
// thread's queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/command_line.h"
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

// An icon's width, the colour of its centre pixel, and every pixel's.
struct IconLook {
    int width = 0;
    COLORREF centre = CLR_INVALID;
    std::vector<COLORREF> pixels;
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
    IconLook look{bitmap.bmWidth, GetPixel(dc.get(), bitmap.bmWidth / 2, bitmap.bmHeight / 2), {}};
    for (int y = 0; y < bitmap.bmHeight; ++y) {
        for (int x = 0; x < bitmap.bmWidth; ++x) {
            look.pixels.push_back(GetPixel(dc.get(), x, y));
        }
    }
    return look;
}

// The image `width` pixels wide of an icon, as the system scales it to
// `size`.
UniqueIcon ImageScaled(int icon, int width, int size) {
    const HINSTANCE self = GetModuleHandleW(nullptr);
    for (const IconImage& image : IconImages(self, icon)) {
        const HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(image.id), RT_ICON);
        if (image.width == width && found != nullptr) {
            return UniqueIcon(CreateIconFromResourceEx(
                static_cast<BYTE*>(LockResource(LoadResource(self, found))),
                SizeofResource(self, found), TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR));
        }
    }
    return UniqueIcon();
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
    constexpr int kSizesIcon = 3;  // 16 pixels red, 20 yellow in 8 bits and green in 32, 24 blue
    const std::pair<int, COLORREF> cases[] = {
        {16, RGB(255, 0, 0)}, {18, RGB(0, 255, 0)}, {20, RGB(0, 255, 0)}, {22, RGB(0, 0, 255)}};
    for (const auto& [size, colour] : cases) {
        const UniqueIcon icon = LoadIconScaledDown(GetModuleHandleW(nullptr), kSizesIcon, size);
        const IconLook look = LookOf(icon.get());
        EXPECT_EQ(look.width, size);
        EXPECT_EQ(look.centre, colour) << size;
    }
}

// The window of a class this thread made: a program under test elsewhere
// has the class too.
HWND ThisThreadsWindow(const wchar_t* className = L"frmTitleConfig") {
    std::pair<const wchar_t*, HWND> search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND found, LPARAM into) {
            auto& [wanted, window] = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(into);
            wchar_t name[32] = {};
            GetClassNameW(found, name, 32);
            if (std::wstring(name) == wanted) {
                window = found;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// A move to a monitor of `dpi`, as the system makes it.
void MoveToDpi(HWND window, UINT dpi) {
    SIZE size{};
    SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size));
    RECT suggested{0, 0, size.cx, size.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The window, loaded in this process with `texts` over an empty registry,
// hidden; null when it could not be loaded.
class LoadedWindow {
public:
    explicit LoadedWindow(const Texts& texts)
        : form_(Registry{api_, codec_}, texts, GetModuleHandleW(nullptr)),
          window_(form_.Load().Loaded() ? ThisThreadsWindow() : nullptr) {}
    [[nodiscard]] HWND Get() const { return window_; }

private:
    MemoryRegistry api_;
    Cp1252Codec codec_;
    frmTitleConfig form_;
    HWND window_;
};

// A move to a monitor of each DPI from 100% to 300%, as the system makes
// it: the layout, the caption icon and the About picture follow, the big
// icon comes at its size when asked (at the DPI the caller names too), and
// each icon replaced is destroyed.
TEST(FrmTitleConfig, FollowsEachDpiWithItsLayoutAndIcons) {
    const FakeTexts english;
    const LoadedWindow loaded(english);
    const HWND window = loaded.Get();
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
        MoveToDpi(window, dpi);

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
        // The About picture is the badge, its centre the white i; the
        // caption's is the emblem, blue at its centre; a big icon above 64
        // pixels comes from the 256-pixel image.
        const IconLook picture =
            LookOf(reinterpret_cast<HICON>(SendMessageW(about, BM_GETIMAGE, IMAGE_ICON, 0)));
        EXPECT_EQ(picture.width, aboutWidth);
        EXPECT_EQ(picture.centre, RGB(255, 255, 255));
        const IconLook small = LookOf(icon(ICON_SMALL));
        EXPECT_EQ(small.width, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
        EXPECT_GT(GetBValue(small.centre), GetRValue(small.centre) + 64);
        const HICON big = icon(ICON_BIG);
        const IconLook bigLook = LookOf(big);
        EXPECT_EQ(bigLook.width, GetSystemMetricsForDpi(SM_CXICON, dpi));
        if (bigLook.width > 64) {
            EXPECT_EQ(bigLook.pixels,
                      LookOf(ImageScaled(IDI_APP, 256, bigLook.width).get()).pixels);
        }
        EXPECT_EQ(icon(ICON_BIG), big);
        EXPECT_EQ(LookOf(oldSmall).width, 0);
        EXPECT_EQ(LookOf(oldAbout).width, 0);
        EXPECT_EQ(LookOf(oldBig).width, 0);
    }
    EXPECT_EQ(LookOf(icon(ICON_BIG, 192)).width, GetSystemMetricsForDpi(SM_CXICON, 192));
}

// A pseudo-language, so that what would be cut shows: each letter
// accented, each line in brackets, %1 kept, and the texts the window's
// controls show, which cannot wrap, 40% longer. The others are lines that
// a translator wraps where the language needs.
bool ShownInAControl(unsigned id) {
    return std::any_of(std::begin(layout::kControls), std::end(layout::kControls),
                       [id](const layout::Control& control) { return control.text == id; });
}

std::wstring Pseudo(unsigned id, const std::wstring& text) {
    const std::wstring plain = L"aeiouncAEIOUNC";
    const std::wstring accented =
        L"\u00E1\u00E9\u00ED\u00F6\u00FC\u00F1\u00E7\u00C1\u00C9\u00CD\u00D6\u00DC\u00D1\u00C7";
    std::wstring pseudo = L"[";
    for (const wchar_t c : text) {
        const std::size_t at = plain.find(c);
        pseudo += c == L'\r'                 ? std::wstring(L"]\r")
                  : c == L'\n'               ? std::wstring(L"\n[")
                  : at == std::wstring::npos ? std::wstring(1, c)
                                             : std::wstring(1, accented[at]);
    }
    const std::size_t longer = ShownInAControl(id) ? text.size() * 2 / 5 : 0;
    return pseudo + std::wstring(longer, L'~') + L"]";
}

// A string table as the program's texts.
class TableTexts final : public Texts {
public:
    explicit TableTexts(const std::map<unsigned, std::wstring>& table) : table_(table) {}
    [[nodiscard]] std::wstring SystemErrorText(Win32Error) const override { return {}; }
    [[nodiscard]] std::wstring Text(unsigned id) const override {
        const auto found = table_.find(id);
        return found != table_.end() ? found->second : std::wstring();
    }

private:
    const std::map<unsigned, std::wstring>& table_;
};

// The system's message font, set to `points` for one scope in this
// process, as the text size setting sets it. (On Windows for the session,
// until the scope ends; nothing of it is stored.)
class ScopedMessageFont {
public:
    explicit ScopedMessageFont(int points) {
        saved_.cbSize = sizeof saved_;
        active_ = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0);
        NONCLIENTMETRICSW larger = saved_;
        larger.lfMessageFont.lfHeight = -MulDiv(points, static_cast<int>(GetDpiForSystem()), 72);
        active_ =
            active_ && SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof larger, &larger, 0);
    }
    ~ScopedMessageFont() {
        if (active_) {
            SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, 0);
        }
    }
    ScopedMessageFont(const ScopedMessageFont&) = delete;
    ScopedMessageFont& operator=(const ScopedMessageFont&) = delete;
    bool Active() const { return active_; }

private:
    NONCLIENTMETRICSW saved_{};
    bool active_ = false;
};

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT PlaceOf(HWND window, int id) {
    RECT place{};
    GetWindowRect(GetDlgItem(window, id), &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// A canvas for the window's lines: what they do not paint stays magenta,
// which no system colour they take is.
void FillWithAColourNoLineHas(HDC dc, const RECT& area) {
    const UniqueBrush magenta(CreateSolidBrush(RGB(255, 0, 255)));
    FillRect(dc, &area, magenta.get());
}

// What a user sees of a window whose texts need more room than the layout
// gives, at `dpi`: each text whole in its control, the controls that grow
// as far from the right edge as the layout puts them, OK and Cancel apart
// and in their order, and both lines reaching as far as the window grew.
void ExpectRoomForEveryText(HWND window, UINT dpi) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_GT(client.right, px(layout::kClientWidth));
    const int grown = client.right - px(layout::kClientWidth);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (const layout::Control& control : layout::kControls) {
        SCOPED_TRACE(control.id);
        const HWND child = GetDlgItem(window, control.id);
        const RECT place = PlaceOf(window, control.id);
        const int width = place.right - place.left;
        const std::wstring text = WindowText(child);
        const ScopedSelect select(dc.get(),
                                  reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        switch (control.kind) {
            case layout::Kind::kLabel:
                EXPECT_LE(extent.cx, width);
                break;
            case layout::Kind::kButton:
                // Clear of the button's edge and of its focus rectangle.
                EXPECT_LE(extent.cx + 2 * (GetSystemMetricsForDpi(SM_CXEDGE, dpi) +
                                           GetSystemMetricsForDpi(SM_CXFOCUSBORDER, dpi)),
                          width);
                break;
            case layout::Kind::kEdit:
            case layout::Kind::kPictureButton:
                break;
        }
        if (control.grow == layout::Grow::kWidth || control.grow == layout::Grow::kRightButton) {
            EXPECT_EQ(client.right - place.right,
                      px(layout::kClientWidth) - px(control.box.left) - px(control.box.width));
        }
    }
    const RECT ok = PlaceOf(window, layout::kCommand1);
    const RECT cancel = PlaceOf(window, layout::kCommand2);
    const layout::Box& okBox = layout::FindControl(layout::kCommand1)->box;
    const layout::Box& cancelBox = layout::FindControl(layout::kCommand2)->box;
    EXPECT_EQ(ok.left - cancel.right, px(okBox.left) - px(cancelBox.left) - px(cancelBox.width));

    // The lines as the window paints them.
    const UniqueBitmap bitmap(
        CreateCompatibleBitmap(WindowDcScope(window).Dc(), client.right, client.bottom));
    const ScopedSelect canvas(dc.get(), bitmap.get());
    FillWithAColourNoLineHas(dc.get(), client);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    for (const layout::Line& line : layout::kLines) {
        const int end = std::min(px(line.x2) + grown, static_cast<int>(client.right)) - 1;
        EXPECT_EQ(GetPixel(dc.get(), end, px(line.y2)), GetSysColor(line.systemColor)) << line.x2;
    }
}

// A language that needs more room than the layout gives, and English at a
// larger message font, at the system's DPI and after moves to others.
TEST(FrmTitleConfig, GrowsForTextsThatNeedMoreRoom) {
    std::map<unsigned, std::wstring> pseudoTable;
    for (const auto& [id, text] : StringTable("en-US")) {
        pseudoTable[id] = Pseudo(id, text);
    }
    const TableTexts pseudo(pseudoTable);
    const FakeTexts english;
    const std::pair<const Texts*, int> cases[] = {{&pseudo, 0}, {&english, 12}};
    for (const auto& [texts, points] : cases) {
        SCOPED_TRACE(points);
        const LoadedWindow loaded(*texts);
        const HWND window = loaded.Get();
        ASSERT_NE(window, nullptr);
        // The text size made larger while the window is open, as the
        // settings tell every window.
        std::optional<ScopedMessageFont> font;
        if (points != 0) {
            font.emplace(points);
            ASSERT_TRUE(font->Active());
            SendMessageW(window, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
        }
        for (const UINT dpi : {GetDpiForSystem(), 144u, 240u, 120u}) {
            SCOPED_TRACE(dpi);
            if (dpi != GetDpiForSystem()) {
                MoveToDpi(window, dpi);
            }
            ExpectRoomForEveryText(window, dpi);
        }
    }
}

// The columns a console gives a line: a tab reaches the next multiple of
// 8, an East Asian wide or fullwidth character takes two, and a Thai vowel
// or tone mark above or below its consonant none.
int ConsoleColumns(std::wstring_view line) {
    const std::pair<wchar_t, wchar_t> wide[] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}};
    int columns = 0;
    for (const wchar_t c : line) {
        const bool isWide = std::any_of(std::begin(wide), std::end(wide), [c](const auto& range) {
            return c >= range.first && c <= range.second;
        });
        const bool isMark =
            c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
        columns = c == L'\t' ? (columns / 8 + 1) * 8 : columns + (isWide ? 2 : isMark ? 0 : 1);
    }
    return columns;
}

// Every language holds every text English has and no other, with the same
// %1s; each of its texts fits its control from 96 to 240 DPI in the message
// font (the labels in the window as it grows for them, the buttons as they
// are); and every line of the usage and of the command line's errors fits
// a console of 80 columns.
TEST(StringTables, HoldEveryTextAndFitTheirControls) {
    const std::map<unsigned, std::wstring> english = StringTable("en-US");
    ASSERT_FALSE(english.empty());
    std::map<std::string, std::map<unsigned, std::wstring>> languages;
    for (const char* language :
         {"en-US", "de-DE", "es-ES",      "fr-FR", "ja-JP", "zh-CN", "it-IT", "pt-BR", "ko-KR",
          "ru-RU", "pl-PL", "nl-NL",      "tr-TR", "zh-TW", "ar-SA", "he-IL", "bg-BG", "hr-HR",
          "cs-CZ", "da-DK", "et-EE",      "fi-FI", "el-GR", "hu-HU", "lv-LV", "lt-LT", "nb-NO",
          "pt-PT", "ro-RO", "sr-Latn-RS", "sk-SK", "sl-SI", "sv-SE", "th-TH", "uk-UA"}) {
        languages[language] = StringTable(language);
    }
    for (const auto& [id, text] : english) {
        languages["pseudo"][id] = Pseudo(id, text);
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
        const TableTexts texts(table);
        std::wstring console = UsageText(texts);
        for (const unsigned id : {unsigned{IDS_NOT_CHANGED}, unsigned{IDS_NOT_STORABLE}}) {
            console += texts.TextWith(id, {L""}) + L"\r\n";
        }
        for (unsigned id = IDS_UNKNOWN_SWITCH; id <= IDS_UNEXPECTED; ++id) {
            console += texts.TextWith(id, {L"/default"}) + L"\r\n";
        }
        for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 2) {
            end = console.find(L"\r\n", start);
            const std::wstring line = console.substr(start, end - start);
            EXPECT_LE(ConsoleColumns(line), 79) << Ascii(line);
        }
    }
}

// In a language written from right to left the window mirrors, as
// Windows' own do: OK to the left of Cancel on the screen, each text read
// from the right in its control, its boxes and its tooltip, the About
// picture not mirrored, and the lines, painted as the window's own device
// context lays them out, from the right edge. (Wine draws a static's text
// and a box's from the left whatever they ask.)
TEST(FrmTitleConfig, MirrorsForALanguageWrittenFromRightToLeft) {
    const std::map<unsigned, std::wstring> arabic = StringTable("ar-SA");
    const TableTexts texts(arabic);
    const LoadedWindow loaded(texts);
    const HWND window = loaded.Get();
    ASSERT_NE(window, nullptr);
    constexpr LONG kRightToLeft = WS_EX_LAYOUTRTL | WS_EX_RTLREADING;
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & kRightToLeft, kRightToLeft);
    for (const layout::Control& control : layout::kControls) {
        const LONG style = GetWindowLongW(GetDlgItem(window, control.id), GWL_EXSTYLE);
        EXPECT_EQ(style & kRightToLeft,
                  control.kind == layout::Kind::kPictureButton ? 0 : kRightToLeft)
            << control.id;
    }
    EXPECT_EQ(MessageBoxReading(texts), UINT{MB_RTLREADING | MB_RIGHT});
    EXPECT_EQ(MessageBoxReading(L"en-US"), 0u);
    const HWND about = GetDlgItem(window, layout::kCommand3);
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(about), HTCLIENT);
    const HWND tooltip = ThisThreadsWindow(TOOLTIPS_CLASSW);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    EXPECT_TRUE(SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_NE(tool.uFlags & TTF_RTLREADING, 0u);
    RECT ok{};
    RECT cancel{};
    GetWindowRect(GetDlgItem(window, layout::kCommand1), &ok);
    GetWindowRect(GetDlgItem(window, layout::kCommand2), &cancel);
    EXPECT_LE(ok.right, cancel.left);

    RECT client{};
    GetClientRect(window, &client);
    const WindowDcScope own(window);
    const UniqueMemoryDc painted(CreateCompatibleDC(own.Dc()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(own.Dc(), client.right, client.bottom));
    {
        const ScopedSelect canvas(painted.get(), bitmap.get());
        FillWithAColourNoLineHas(painted.get(), client);
        SetLayout(painted.get(), GetLayout(own.Dc()));
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.get()), PRF_CLIENT);
    }
    const UniqueMemoryDc screen(CreateCompatibleDC(nullptr));
    const ScopedSelect read(screen.get(), bitmap.get());
    const UINT dpi = GetDpiForWindow(window);
    for (const layout::Line& line : layout::kLines) {
        const int y = TwipsToPixels(line.y1, dpi);
        EXPECT_EQ(GetPixel(screen.get(), client.right - 1, y), GetSysColor(line.systemColor)) << y;
    }
    const layout::Line& line1 = layout::kLines[0];
    EXPECT_EQ(GetPixel(screen.get(), 0, TwipsToPixels(line1.y1, dpi)),
              GetSysColor(line1.systemColor));
}

}  // namespace
