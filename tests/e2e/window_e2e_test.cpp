// The real program, driven end to end from another process under Wine: its
// window, its buttons, its message boxes, the registry and the exit code.
//
// The program writes the real per-user title, so this suite runs only under
// Wine, in the throwaway prefix of the test run.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/text_ids.h"
#include "e2e/program_driver.h"
#include "e2e/title_values.h"
#include "support/english_texts.h"

namespace {

using namespace std::string_literals;
using namespace std::chrono_literals;

constexpr wchar_t kCaption[] = L"Reset Microsoft Internet Explorer Titlebar";

// --- the expected window, at any DPI --------------------------------------

struct ExpectedControl {
    const wchar_t* className;
    const wchar_t* text;           // nullptr: filled at load
    int left, top, width, height;  // twips
};

constexpr wchar_t kLabel1Text[] =
    L"Reset Internet Explorer titlebar caption to the following value in default:";

// In window order: Label1 just before the edit box it names.
const ExpectedControl kExpected[] = {
    {L"Static", L"Current caption value of Internet Explorer titlebar (stored in registry):", 120,
     120, 6015, 255},
    {L"Static", nullptr, 120, 480, 6015, 375},
    {L"Static", kLabel1Text, 120, 960, 6015, 255},
    {L"Edit", nullptr, 120, 1320, 5535, 285},
    {L"Button", L"OK", 5400, 2040, 975, 300},
    {L"Button", L"Cancel", 4320, 2040, 975, 300},
    {L"Button", L"About", 120, 2040, 375, 300},
};
constexpr std::size_t kLabel2 = 0;
constexpr std::size_t kLabel3 = 1;
constexpr std::size_t kText1 = 3;
constexpr std::size_t kOk = 4;
constexpr std::size_t kCancel = 5;
constexpr std::size_t kAbout = 6;

const std::wstring kAboutText =
    L"This tool loads the current Microsoft Internet Explorer Window Title from registry "
    L"to edit any wanted title caption to be saved to registry. \r\n\r\n"
    L"Copyright \u00A9 2026 Tavrelin.\r\n"
    L"Find more information about Tavrelin at https://tavrelin.example.com/";

std::string Utf8(const std::wstring& text) {
    std::string utf8(
        static_cast<std::size_t>(WideCharToMultiByte(
            CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                        static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

std::wstring Confirmation(const std::wstring& title) {
    return L"Internet Explorer Titlebar changed to '" + title + L" '";
}

class WindowE2E : public testing::Test {
protected:
    void SetUp() override {
        TITLEBAR_REQUIRE(MayWriteRealRegistry(), kRealRegistryRefused);
        TITLEBAR_REQUIRE(OnShownDesktop(), kNoShownDesktop);
        ClearTitles();
    }
    // TearDown runs after a skip too.
    void TearDown() override {
        program_.reset();
        if (MayWriteRealRegistry()) {
            ClearTitles();
        }
    }

    // Starts the program and waits for its window.
    void Start(const std::wstring& program = ProgramPath()) {
        program_.emplace(program);
        ASSERT_TRUE(program_->Started())
            << "could not start the program: error " << program_->StartError();
        window_ = program_->WaitForWindow(kCaption);
        ASSERT_NE(window_, nullptr) << "the window did not appear";
        ASSERT_TRUE(WaitFor([&] { return program_->Focus() != nullptr; }));
    }
    // The client area and every control where the layout puts them at
    // `dpi`, to within `slack` pixels.
    void ExpectLayoutAt(int dpi, int slack) {
        const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
        RECT client{};
        GetClientRect(window_, &client);
        EXPECT_NEAR(client.right, px(6450), slack);
        EXPECT_NEAR(client.bottom, px(2445), slack);
        const auto children = Children(window_);
        ASSERT_EQ(children.size(), std::size(kExpected));
        for (std::size_t i = 0; i < children.size(); ++i) {
            const ChildInfo& child = children[i];
            const ExpectedControl& expected = kExpected[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " at " << dpi << " DPI");
            EXPECT_EQ(_wcsicmp(child.className.c_str(), expected.className), 0);
            if (expected.text != nullptr) {
                EXPECT_EQ(child.text, expected.text);
            }
            EXPECT_NEAR(child.rect.left, px(expected.left), slack);
            EXPECT_NEAR(child.rect.top, px(expected.top), slack);
            EXPECT_NEAR(child.rect.right - child.rect.left, px(expected.width), slack);
            EXPECT_NEAR(child.rect.bottom - child.rect.top, px(expected.height), slack);
        }
    }
    HWND Control(std::size_t index) {
        const auto children = Children(window_);
        return index < children.size() ? children[index].window : nullptr;
    }
    void ExpectExitWith(DWORD code) {
        const auto exit = program_->WaitForExit();
        ASSERT_TRUE(exit.has_value()) << "the program did not end";
        EXPECT_EQ(*exit, code);
    }
    // Waits for the message box that a press brings up.
    MessageBoxInfo NextBox() {
        auto box = program_->WaitForMessageBox();
        EXPECT_TRUE(box.has_value()) << "no message box appeared";
        return box.value_or(MessageBoxInfo{});
    }
    void CloseBox(const MessageBoxInfo& box) {
        Dismiss(box);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box.window); }));
    }

    std::optional<RunningProgram> program_;
    HWND window_ = nullptr;
};

// Wine takes the screen's DPI from this value when a process starts.
class ScopedScreenDpi {
public:
    explicit ScopedScreenDpi(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~ScopedScreenDpi() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels"); }
    ScopedScreenDpi(const ScopedScreenDpi&) = delete;
    ScopedScreenDpi& operator=(const ScopedScreenDpi&) = delete;

private:
    static constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
};

class WindowLayout : public WindowE2E, public testing::WithParamInterface<int> {};

TEST_P(WindowLayout, MatchesTheTablesAtTheScreenDpi) {
    // Windows reads the screen's DPI once, at sign-in.
    std::optional<ScopedScreenDpi> screenDpi;
    if (UnderWine()) {
        screenDpi.emplace(static_cast<DWORD>(GetParam()));
    } else if (GetDpiForSystem() != static_cast<UINT>(GetParam())) {
        GTEST_SKIP() << "Wine-only: this screen is at " << GetDpiForSystem() << " DPI";
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    // The driver's own DPI was fixed when it started, so it cannot ask the
    // window for its DPI: the window must follow the screen's.
    const int dpi = GetParam();
    ExpectLayoutAt(dpi, 0);
    if (dpi == 96) {
        RECT client{};
        GetClientRect(window_, &client);
        EXPECT_EQ(client.right, 430);
        EXPECT_EQ(client.bottom, 163);
    }

    const auto children = Children(window_);
    ASSERT_EQ(children.size(), std::size(kExpected));
    for (const ChildInfo& child : children) {
        // Ids 1 and 2 are what Enter and Escape send.
        EXPECT_NE(child.id, IDOK);
        EXPECT_NE(child.id, IDCANCEL);
        EXPECT_TRUE(IsWindowVisible(child.window));
    }
    // Only the edit box and the buttons take the focus; none is a default.
    for (std::size_t i : {kText1, kOk, kCancel, kAbout}) {
        EXPECT_TRUE(children[i].style & WS_TABSTOP) << i;
    }
    for (std::size_t i : {kOk, kCancel, kAbout}) {
        EXPECT_NE(children[i].style & BS_TYPEMASK, BS_DEFPUSHBUTTON) << i;
    }
    EXPECT_TRUE(children[kAbout].style & BS_ICON);
    EXPECT_NE(SendMessageW(children[kAbout].window, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_GT(SendMessageW(children[kText1].window, EM_GETLIMITTEXT, 0, 0), 1'000'000);
    EXPECT_EQ(program_->Focus(), children[kText1].window);

    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(exStyle & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
    // Owned by a hidden window, so it has no taskbar button.
    const HWND owner = GetWindow(window_, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));

    RECT frame{};
    GetWindowRect(window_, &frame);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 1);

    // The About button's tooltip, which comes with the mouse over the button,
    // once nothing else is on top of it.
    const RECT& about = children[kAbout].rect;
    POINT centre{(about.left + about.right) / 2, (about.top + about.bottom) / 2};
    ClientToScreen(window_, &centre);
    SetForegroundWindow(window_);
    ASSERT_TRUE(WaitFor([&] { return WindowFromPoint(centre) == children[kAbout].window; }))
        << "the About button is not on top";
    SetCursorPos(centre.x, centre.y);
    HWND tooltip = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        const auto tooltips = program_->TopLevelWindows(TOOLTIPS_CLASSW);
        tooltip = tooltips.size() == 1 ? tooltips[0] : nullptr;
        return tooltip != nullptr && IsWindowVisible(tooltip);
    })) << "no tooltip shown over the About button";
    EXPECT_EQ(WindowText(tooltip), L"About");

    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Dpi, WindowLayout, testing::Values(96, 144));

constexpr COLORREF kDarkBlue = RGB(0, 0, 128);

// A title of long horizontal strokes. ClearType filters each pixel with its
// neighbours across a row, so a vertical stem keeps no pixel of the text's
// exact colour; the middle of a stroke several pixels long does, with font
// smoothing on or off, so the colours are checked exactly.
const std::wstring kStrokes = L"EEEE ====\0"s;

bool Contains(const std::vector<COLORREF>& pixels, COLORREF colour) {
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

// The painted window: the two texts in dark blue, the other label not, and
// the two lines in their system colours.
TEST_F(WindowE2E, PaintsTheColoursAndLinesOfTheTables) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, kStrokes));
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto children = Children(window_);
    ASSERT_EQ(children.size(), std::size(kExpected));
    EXPECT_TRUE(WaitFor([&] {
        return Contains(ClientPixels(window_, children[kLabel3].rect), kDarkBlue);
    })) << "no dark blue text in Label3";
    EXPECT_TRUE(Contains(ClientPixels(window_, children[kText1].rect), kDarkBlue));
    EXPECT_FALSE(Contains(ClientPixels(window_, children[kLabel2].rect), kDarkBlue));

    // At 96 DPI Line1 lies on row 120 and Line2 on row 121; both start at
    // the left edge, and only Line1 reaches the right edge.
    const auto row = [&](int y) { return ClientPixels(window_, RECT{0, y, 430, y + 1}); };
    const auto line1 = row(MulDiv(1800, 96, 1440));
    const auto line2 = row(MulDiv(1810, 96, 1440));
    ASSERT_EQ(line1.size(), 430u);
    ASSERT_EQ(line2.size(), 430u);
    EXPECT_EQ(line1.front(), GetSysColor(COLOR_APPWORKSPACE));
    EXPECT_EQ(line1.back(), GetSysColor(COLOR_APPWORKSPACE));
    EXPECT_EQ(line2.front(), GetSysColor(COLOR_CAPTIONTEXT));
    EXPECT_EQ(line2[static_cast<std::size_t>(MulDiv(6400, 96, 1440) - 1)],
              GetSysColor(COLOR_CAPTIONTEXT));
    EXPECT_EQ(line2.back(), GetSysColor(COLOR_BTNFACE));

    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
}

// What the window shows for titles of the shapes a registry may hold.
struct Seed {
    HKEY root;
    DWORD type;
    std::wstring data;
};

struct LoadCase {
    const char* name;
    std::vector<Seed> seeds;
    std::wstring label3;
    std::wstring text1;
};

class WindowLoads : public WindowE2E, public testing::WithParamInterface<LoadCase> {};

TEST_P(WindowLoads, ShowsTheTitlesAndCancelLeavesThem) {
    for (const Seed& seed : GetParam().seeds) {
        ASSERT_NO_FATAL_FAILURE(SeedTitle(seed.root, seed.type, seed.data));
    }
    const auto userBefore = ReadTitle(HKEY_CURRENT_USER);
    const auto machineBefore = ReadTitle(HKEY_LOCAL_MACHINE);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(WindowText(Control(kLabel3)), GetParam().label3);
    EXPECT_EQ(WindowText(Control(kText1)), GetParam().text1);

    Press(Control(kCancel));
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), userBefore);
    EXPECT_EQ(ReadTitle(HKEY_LOCAL_MACHINE), machineBefore);
}

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;
const std::wstring kLong(40000, L'x');

const LoadCase kLoadCases[] = {
    {"EmptyRegistry", {}, L"", kFallback},
    {"BothTitles",
     {{kUser, REG_SZ, L"Mine\0"s}, {kMachine, REG_SZ, L"Corporate\0"s}},
     L"Mine",
     L"Corporate"},
    {"WithoutTerminators",
     {{kUser, REG_SZ, L"Mine"}, {kMachine, REG_SZ, L"Corporate"}},
     L"Mine",
     L"Corporate"},
    {"EmbeddedNuls", {{kUser, REG_SZ, L"Mine\0hidden\0"s}}, L"Mine", kFallback},
    {"OtherTypes",
     {{kUser, REG_EXPAND_SZ, L"%TEMP%\0"s}, {kMachine, REG_MULTI_SZ, L"a\0b\0\0"s}},
     L"",
     kFallback},
    {"EmptyMachineTitle", {{kMachine, REG_SZ, L"\0"s}}, L"", kFallback},
    {"BlankMachineTitle", {{kMachine, REG_SZ, L" \0"s}}, L"", L" "},
    {"AmpersandIsShownAsItIs", {{kUser, REG_SZ, L"Tom & Jerry\0"s}}, L"Tom & Jerry", kFallback},
    {"LongTitles", {{kUser, REG_SZ, kLong + L'\0'}, {kMachine, REG_SZ, kLong}}, kLong, kLong},
};

INSTANTIATE_TEST_SUITE_P(Shapes, WindowLoads, testing::ValuesIn(kLoadCases),
                         [](const testing::TestParamInfo<LoadCase>& param) {
                             return std::string(param.param.name);
                         });

// OK stores the text of the edit box, confirms it with the window hidden,
// and ends the program.
struct OkCase {
    const char* name;
    std::wstring title;
};

class WindowOk : public WindowE2E, public testing::WithParamInterface<OkCase> {};

TEST_P(WindowOk, StoresConfirmsAndEnds) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::wstring& title = GetParam().title;
    SendMessageW(Control(kText1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    Press(Control(kOk));

    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"Registry changed");
    EXPECT_EQ(box.text, Confirmation(title));
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(box.hasIcon);
    EXPECT_FALSE(IsWindowVisible(window_));
    // The value is written before the confirmation shows.
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, title + L'\0'}));
    CloseBox(box);
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_LOCAL_MACHINE), std::nullopt);
}

const OkCase kOkCases[] = {
    {"Fallback", kFallback},
    {"Empty", L""},
    {"Blanks", L"  two  "},
    {"Latin1", L"Caf\u00E9 \u00BB \u20AC"},
    {"FortyThousandCharacters", std::wstring(40000, L'y')},
    // Outside the ANSI code page: the manifest makes the ANSI functions UTF-8.
    {"OutsideTheAnsiCodePage", L"\u03A9mega \u4E2D\u6587"},
};

INSTANTIATE_TEST_SUITE_P(Titles, WindowOk, testing::ValuesIn(kOkCases),
                         [](const testing::TestParamInfo<OkCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(WindowE2E, AFailedWriteIsReportedAndTheWindowComesBack) {
    const UnwritableUserTitle unwritable;
    ASSERT_TRUE(unwritable.Active());

    ASSERT_NO_FATAL_FAILURE(Start());
    Press(Control(kOk));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"Registry not changed");
    EXPECT_EQ(box.text.rfind(L"The title was not changed.", 0), 0u) << box.text.size();
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_FALSE(IsWindowVisible(window_));
    FocusRecorder focus(program_->ProcessId());
    CloseBox(box);

    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    EXPECT_EQ(WindowText(Control(kText1)), kFallback);
    // Back to fix the text: the first of the window's controls to take the
    // focus, and it keeps the focus with all of it selected.
    const HWND text1 = Control(kText1);
    std::vector<HWND> controls;
    ASSERT_TRUE(WaitFor([&] {
        controls.clear();
        for (HWND window : focus.Focused()) {
            if (IsChild(window_, window)) {
                controls.push_back(window);
            }
        }
        return !controls.empty();
    })) << "no focus event";
    EXPECT_EQ(controls.front(), text1) << controls.size() << " controls took the focus";
    const auto allSelected = MAKELONG(0, std::size(kFallback) - 1);
    const auto focusedAndSelected = [&] {
        return program_->Focus() == text1 && SendMessageW(text1, EM_GETSEL, 0, 0) == allSelected;
    };
    if (!WaitFor(focusedAndSelected, std::chrono::seconds(2))) {
        TakeBackForegroundFromWinesDesktop(window_);
    }
    EXPECT_TRUE(WaitFor(focusedAndSelected))
        << "focus at a '" << testing::PrintToString(ClassName(program_->Focus())) << "', selection "
        << SendMessageW(text1, EM_GETSEL, 0, 0);
    EXPECT_TRUE(program_->Running());
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);

    Press(Control(kCancel));
    ExpectExitWith(0);
}

TEST_F(WindowE2E, TextThatCannotBeStoredIsReportedAndNotWritten) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Before\0"s));
    ASSERT_NO_FATAL_FAILURE(Start());
    // A lone surrogate has no form in any code page.
    const std::wstring title = L"broken \xD800 pair";
    SendMessageW(Control(kText1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    Press(Control(kOk));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"Registry not changed");
    EXPECT_NE(box.text.find(L"code page"), std::wstring::npos);
    CloseBox(box);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, L"Before\0"s}));
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
}

// Where the UTF-8 code page is not in force, the registry's ANSI copy of a
// title outside the code page is offered as it reads; OK refuses to store
// that mangled copy back, as it refuses a typed title the code page lacks.
TEST_F(WindowE2E, OkRefusesToStoreAnOfferedTitleTheCodePageMangled) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Mine\0"s));
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_LOCAL_MACHINE, REG_SZ, L"\u65E5\u672C Corp\0"s));
    ASSERT_NO_FATAL_FAILURE(Start(LegacyCodePageProgramPath()));
    EXPECT_EQ(WindowText(Control(kText1)), L"?? Corp");
    Press(Control(kOk));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"Registry not changed");
    EXPECT_NE(box.text.find(L"could not be read whole"), std::wstring::npos) << box.text.size();
    CloseBox(box);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, L"Mine\0"s}));
    Press(Control(kCancel));
    ExpectExitWith(0);
}

TEST_F(WindowE2E, EnterAndEscapePressNothingAndTabMovesOn) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const HWND edit = Control(kText1);
    PostKey(edit, VK_RETURN);
    PostKey(edit, VK_ESCAPE);
    EXPECT_EQ(program_->WaitForMessageBox(1500ms), std::nullopt);
    EXPECT_TRUE(program_->Running());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);

    PostKey(edit, VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return program_->Focus() == Control(kOk); }));
    PostKey(Control(kOk), VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return program_->Focus() == Control(kCancel); }));
    PostKey(Control(kCancel), VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return program_->Focus() == Control(kAbout); }));
    PostKey(Control(kAbout), VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return program_->Focus() == edit; }));

    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);
}

TEST_F(WindowE2E, ScreenReadersNameEachControlByWhatItAsks) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Current Title\0"s));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(AccessibleName(Control(kText1)), kLabel1Text);
    EXPECT_EQ(AccessibleName(Control(kOk)), L"OK");
    EXPECT_EQ(AccessibleName(Control(kCancel)), L"Cancel");
    EXPECT_EQ(AccessibleName(Control(kAbout)), L"About");
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
}

TEST_F(WindowE2E, ShiftTabGoesBackAndSpacePressesTheFocusedButton) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(program_->Focus(), Control(kText1));
    ASSERT_TRUE(TypeKeys(window_, {VK_SHIFT, VK_TAB}));
    ASSERT_TRUE(WaitFor([&] { return program_->Focus() == Control(kAbout); }));
    ASSERT_TRUE(TypeKeys(window_, {VK_SPACE}));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"About");
    CloseBox(box);

    ASSERT_TRUE(WaitFor([&] { return program_->Focus() == Control(kAbout); }));
    ASSERT_TRUE(TypeKeys(window_, {VK_SHIFT, VK_TAB}));
    ASSERT_TRUE(WaitFor([&] { return program_->Focus() == Control(kCancel); }));
    ASSERT_TRUE(TypeKeys(window_, {VK_SPACE}));
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), std::nullopt);
}

TEST_F(WindowE2E, AboutShowsItsMessageAndLeavesTheWindowAsItWas) {
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Mine\0"s));
    ASSERT_NO_FATAL_FAILURE(Start());
    Press(Control(kAbout));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, L"About");
    EXPECT_EQ(box.text, kAboutText);
    EXPECT_EQ(box.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(box.hasIcon);
    EXPECT_TRUE(IsWindowVisible(window_));
    CloseBox(box);

    EXPECT_TRUE(program_->Running());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(WindowText(Control(kLabel3)), L"Mine");
    EXPECT_EQ(WindowText(Control(kText1)), kFallback);
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, L"Mine\0"s}));
}

// Under another display language: the window's texts and its confirmation
// in the table the language takes, by region, the window mirrored for a
// language written from right to left (Wine's boxes ignore MB_RIGHT and
// MB_RTLREADING), the title stored as typed, help in a box in it too; the
// command line in the console's language (English for Arabic). The suite
// runs once more for each of de_DE, zh_SG, zh_HK, ar_SA, pt_PT, nn_NO
// (Nynorsk, which takes Bokmål) and th_TH (window_e2e_<region>):
// Wine takes the display language from LC_ALL as a process starts.
TEST_F(WindowE2E, SpeaksTheUsersLanguage) {
    struct Region {
        LANGID language;
        const char* table;
        const char* console;
    };
    const Region regions[] = {
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), "de-DE", "de-DE"},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE), "zh-CN", "zh-CN"},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), "zh-TW", "zh-TW"},
        {MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA), "ar-SA", "en-US"},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE), "pt-PT", "pt-PT"},
        {MAKELANGID(LANG_NORWEGIAN, SUBLANG_NORWEGIAN_NYNORSK), "nb-NO", "nb-NO"},
        {MAKELANGID(LANG_THAI, SUBLANG_THAI_THAILAND), "th-TH", "th-TH"},
    };
    const LANGID ui = GetUserDefaultUILanguage();
    const auto region = std::find_if(std::begin(regions), std::end(regions),
                                     [ui](const Region& r) { return r.language == ui; });
    if (region == std::end(regions)) {
        GTEST_SKIP() << "needs another display language: window_e2e_<region> runs it under Wine";
    }
    const std::map<unsigned, std::wstring> table = StringTable(region->table);
    ASSERT_FALSE(table.empty());
    program_.emplace(ProgramPath());
    window_ = program_->WaitForWindow(table.at(IDS_CAPTION));
    ASSERT_NE(window_, nullptr) << "no window with the caption of " << region->table;
    EXPECT_EQ(WindowText(Control(kLabel2)), table.at(IDS_LABEL2));
    EXPECT_EQ(WindowText(Control(kCancel)), table.at(IDS_CANCEL));
    const bool mirrored = PRIMARYLANGID(ui) == LANG_ARABIC;
    EXPECT_EQ((GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, mirrored);
    const std::wstring title = L"Intranet \u00FC";
    SendMessageW(Control(kText1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    Press(Control(kOk));
    const MessageBoxInfo box = NextBox();
    EXPECT_EQ(box.caption, table.at(IDS_CONFIRMATION_CAPTION));
    EXPECT_NE(box.text.find(title), std::wstring::npos);
    CloseBox(box);
    ExpectExitWith(0);
    EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), (Stored{REG_SZ, title + L'\0'}));

    // Help asked for from a shortcut comes in a box, which can show any
    // language: the display language's.
    RunningProgram starter(StarterPath(), L"explorer \"" + ProgramPath() + L"\" /?");
    ASSERT_TRUE(starter.Started());
    const auto help = WaitForMessageBoxTitled(table.at(IDS_CAPTION));
    ASSERT_TRUE(help.has_value()) << "no box of help in the caption of " << region->table;
    EXPECT_NE(help->text.find(table.at(IDS_USAGE_HELP)), std::wstring::npos);
    Dismiss(*help);
    EXPECT_EQ(starter.WaitForExit(), std::optional<DWORD>(0));

    Pipe err;
    const Redirect redirect{err.Write(), err.Write()};
    RunningProgram wrong(ProgramPath(), L"/x", &redirect);
    ASSERT_TRUE(wrong.Started());
    EXPECT_EQ(wrong.WaitForExit(), std::optional<DWORD>(1));
    const std::string said = err.ReadAll();
    EXPECT_EQ(
        said.rfind(Utf8(FormatText(StringTable(region->console).at(IDS_UNKNOWN_SWITCH), {L"/x"})),
                   0),
        0u)
        << said;
}

// The built program holds a string table for each language, tagged so that
// every region of the language takes it (the neutral sublanguage), or the
// regions that write it so: every block of texts in all of them.
TEST(ProgramResources, HoldEveryLanguagesStringTable) {
    const std::set<LANGID> languages = {
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        MAKELANGID(LANG_GERMAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_SPANISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_FRENCH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_JAPANESE, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_ITALIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_KOREAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_DUTCH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_POLISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN),
        MAKELANGID(LANG_RUSSIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_TURKISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_ARABIC, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_HEBREW, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG),
        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_MACAU),
        MAKELANGID(LANG_BULGARIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_CZECH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_DANISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_ESTONIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_FINNISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_GREEK, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_HUNGARIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_LATVIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_LITHUANIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_NORWEGIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE),
        MAKELANGID(LANG_ROMANIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_SLOVAK, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_SLOVENIAN, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_SWEDISH, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_THAI, SUBLANG_NEUTRAL),
        MAKELANGID(LANG_UKRAINIAN, SUBLANG_NEUTRAL),
        // Croatian, Serbian and Bosnian by region: no neutral tag.
        MAKELANGID(LANG_CROATIAN, SUBLANG_CROATIAN_CROATIA),
        MAKELANGID(LANG_BOSNIAN, SUBLANG_BOSNIAN_BOSNIA_HERZEGOVINA_LATIN),
        MAKELANGID(LANG_SERBIAN, SUBLANG_SERBIAN_SERBIA_LATIN),
        MAKELANGID(LANG_SERBIAN, SUBLANG_SERBIAN_SERBIA_CYRILLIC),
        MAKELANGID(LANG_SERBIAN, SUBLANG_SERBIAN_BOSNIA_HERZEGOVINA_CYRILLIC),
    };
    const auto blocks = StringTableLanguages(ProgramPath());
    ASSERT_FALSE(blocks.empty());
    for (const auto& [block, tags] : blocks) {
        EXPECT_EQ(tags, languages) << "block " << block;
    }
}

// High contrast, which Wine cannot switch on (SPI_SETHIGHCONTRAST fails with
// error 1439) and Windows can: the machine's own setting, put back at the
// end of the scope.
class ScopedHighContrast {
public:
    ScopedHighContrast() {
        HIGHCONTRASTW saved{sizeof saved, 0, nullptr};
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof saved, &saved, 0);
        flags_ = saved.dwFlags;
        if (saved.lpszDefaultScheme != nullptr) {
            scheme_ = saved.lpszDefaultScheme;
        }
    }
    ~ScopedHighContrast() { static_cast<void>(Set(flags_, scheme_)); }
    ScopedHighContrast(const ScopedHighContrast&) = delete;
    ScopedHighContrast& operator=(const ScopedHighContrast&) = delete;

    // Switches it on or off and tells every window, as the settings do.
    [[nodiscard]] bool Switch(bool on) {
        return Set(on ? (flags_ | HCF_HIGHCONTRASTON) : (flags_ & ~DWORD{HCF_HIGHCONTRASTON}),
                   on ? std::wstring(L"High Contrast Black") : scheme_);
    }

private:
    static bool Set(DWORD flags, std::wstring scheme) {
        HIGHCONTRASTW contrast{sizeof contrast, flags, scheme.empty() ? nullptr : scheme.data()};
        return SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast,
                                     SPIF_SENDCHANGE) != FALSE;
    }

    DWORD flags_ = 0;
    std::wstring scheme_;
};

// In high contrast every text takes the user's colours, the dark blue
// included, whether it is on as the program starts or switched on or off
// while the window is open. Last, since it changes the system's colours.
TEST_F(WindowE2E, InHighContrastEveryTextTakesTheUsersColours) {
    ScopedHighContrast contrast;
    if (!contrast.Switch(true)) {
        const DWORD error = GetLastError();
        if (UnderWine()) {
            GTEST_SKIP() << "Wine cannot switch high contrast on (error " << error << ")";
        }
        FAIL() << "high contrast could not be switched on: error " << error;
    }
    ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, kStrokes));
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto children = Children(window_);
    ASSERT_EQ(children.size(), std::size(kExpected));
    const auto inUsersColours = [&] {
        return Contains(ClientPixels(window_, children[kLabel3].rect),
                        GetSysColor(COLOR_WINDOWTEXT)) &&
               !Contains(ClientPixels(window_, children[kLabel3].rect), kDarkBlue) &&
               !Contains(ClientPixels(window_, children[kText1].rect), kDarkBlue);
    };
    EXPECT_TRUE(WaitFor(inUsersColours)) << "at start, a text is not in the user's colours";

    ASSERT_TRUE(contrast.Switch(false));
    EXPECT_TRUE(WaitFor([&] {
        return Contains(ClientPixels(window_, children[kLabel3].rect), kDarkBlue);
    })) << "switched off, Label3 is not dark blue again";
    ASSERT_TRUE(contrast.Switch(true));
    EXPECT_TRUE(WaitFor(inUsersColours)) << "switched on, a text is not in the user's colours";

    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectExitWith(0);
}

}  // namespace
