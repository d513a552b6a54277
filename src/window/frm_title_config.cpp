#include "window/frm_title_config.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

#include "common/exit_codes.h"
#include "common/text_ids.h"
#include "common/win_handles.h"
#include "window/dpi_layout.h"
#include "window/resource_ids.h"
#include "window/window_thunk.h"

namespace {

constexpr wchar_t kClassName[] = L"frmTitleConfig";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The layout's constants stand for the SDK's.
static_assert(std::none_of(std::begin(layout::kControls), std::end(layout::kControls),
                           [](const layout::Control& control) {
                               return control.id == IDOK || control.id == IDCANCEL;
                           }),
              "Enter and Escape send IDOK and IDCANCEL: no control may have those ids");
static_assert(layout::kColorAppWorkspace == COLOR_APPWORKSPACE);
static_assert(layout::kColorCaptionText == COLOR_CAPTIONTEXT);

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// One return, which every case reaches: called for each row of a constant
// table, the function may be inlined with a constant kind, and a return
// after the switch would then be code the optimiser proves dead (C4702).
[[nodiscard]] ControlClass ClassOf(layout::Kind kind) {
    // No prefix: an ampersand in a title is shown as it is.
    ControlClass result{WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    switch (kind) {
        case layout::Kind::kLabel:
            break;
        case layout::Kind::kEdit:
            result = {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
            break;
        case layout::Kind::kButton:
            result = {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
            break;
        case layout::Kind::kPictureButton:
            result = {WC_BUTTONW, BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0};
            break;
    }
    return result;
}

[[nodiscard]] DWORD LastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INTERNAL_ERROR;
}

[[nodiscard]] bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

bool ReadsRightToLeft(const wchar_t* languageTag) noexcept {
    DWORD layout = 0;
    return GetLocaleInfoEx(languageTag, LOCALE_IREADINGLAYOUT | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<wchar_t*>(&layout),
                           sizeof layout / sizeof(wchar_t)) != 0 &&
           layout == 1;
}

UINT MessageBoxReading(const wchar_t* languageTag) noexcept {
    return ReadsRightToLeft(languageTag) ? MB_RTLREADING | MB_RIGHT : 0;
}

UINT MessageBoxReading(const Texts& texts) {
    return MessageBoxReading(texts.Text(IDS_LANGUAGE).c_str());
}

void ShowUnhandledError(HWND owner, const char* what) noexcept {
    // Nothing here allocates: the texts go into buffers of their own. The
    // exception's text is ASCII in practice; each byte becomes a character.
    const HINSTANCE self = GetModuleHandleW(nullptr);
    wchar_t caption[256] = L"";
    LoadStringW(self, IDS_CAPTION, caption, static_cast<int>(std::size(caption)));
    wchar_t language[LOCALE_NAME_MAX_LENGTH] = L"";
    LoadStringW(self, IDS_LANGUAGE, language, static_cast<int>(std::size(language)));
    wchar_t text[512] = L"";
    LoadStringW(self, IDS_UNEXPECTED_IN_WINDOW, text, static_cast<int>(std::size(text)));
    std::size_t length = wcslen(text);
    for (const char* p = what; p != nullptr && *p != '\0' && length + 1 < std::size(text); ++p) {
        text[length++] = static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    text[length] = L'\0';
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONERROR | MessageBoxReading(language));
}

// The window goes first: its last messages still reach this object.
frmTitleConfig::~frmTitleConfig() {
    window_.reset();
}

LoadResult frmTitleConfig::Load() {
    const HINSTANCE instance = instance_;
    // The window sets its icons at its DPI. The class has none: a class
    // icon is loaded when the class is registered, and under Wine the X11
    // driver converts it for the window manager too, which cost 2 to 3% of
    // the start-up; WM_GETICON answers whoever asks.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ForwardToOwner<frmTitleConfig>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    // A window loaded before in this process has registered the class.
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return {LastError()};
    }
    owner_.reset(CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr));
    if (!owner_) {
        return {LastError()};
    }
    // Made at its size and place for the system's DPI, centred on the
    // primary work area, so that showing it needs no move.
    const UINT systemDpi = GetDpiForSystem();
    const SIZE frame =
        FrameSize(systemDpi, GrowthAt(systemDpi, MessageFont(systemDpi).get()), kStyle, ExStyle());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The window owns itself from WM_NCCREATE on (Attach).
    if (CreateWindowExW(ExStyle(), kClassName, texts_.Text(IDS_CAPTION).c_str(), kStyle,
                        work.left + (work.right - work.left - frame.cx) / 2,
                        work.top + (work.bottom - work.top - frame.cy) / 2, frame.cx, frame.cy,
                        owner_.get(), nullptr, instance, this) == nullptr) {
        return {createError_ != ERROR_SUCCESS ? createError_ : LastError(), failed_};
    }
    Form_Load(*this, registry_, state_);
    if (failed_) {
        return {ERROR_INTERNAL_ERROR, true};
    }
    return {};
}

void frmTitleConfig::ShowCentred() {
    RECT frame{};
    GetWindowRect(Window(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(Window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int left = work.left + (work.right - work.left - (frame.right - frame.left)) / 2;
    const int top = work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2;
    if (frame.left != left || frame.top != top) {
        SetWindowPos(Window(), nullptr, left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    lastFocus_ = Control(layout::kText1);
    Show();
}

bool frmTitleConfig::PreTranslateMessage(MSG& message) {
    return Window() != nullptr && IsDialogMessageW(Window(), &message) != FALSE;
}

void frmTitleConfig::ReportUnhandledError(const char* what) noexcept {
    if (!failed_) {
        failed_ = true;
        ShowUnhandledError(Window(), what);
    }
    PostQuitMessage(exit_code::kUnexpected);
}

LRESULT frmTitleConfig::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // A window without all its controls is not made at all.
            createError_ = CreateControls();
            return createError_ == ERROR_SUCCESS ? 0 : -1;
        case WM_SETCURSOR:
            OnSetCursor(reinterpret_cast<HWND>(wParam));
            break;
        case WM_GETICON:
            if (const HICON icon = OnGetIcon(wParam, static_cast<UINT>(lParam))) {
                return reinterpret_cast<LRESULT>(icon);
            }
            break;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT:
            // What PrintWindow and AnimateWindow ask for: the same drawing
            // into their device context.
            PaintLines(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return OnControlColor(message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_GETDPISCALEDSIZE:
            return OnGetDpiScaledSize(static_cast<UINT>(wParam), *reinterpret_cast<SIZE*>(lParam));
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SYSCOLORCHANGE:
            OnColoursChanged();
            break;
        case WM_SETTINGCHANGE:
            OnSettingChange(EffectOfSettingChange(wParam, lParam));
            break;
        case WM_THEMECHANGED:
            OnMetricsChanged();
            break;
        case WM_CLOSE:
            Unload();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// In a language written from right to left the whole window mirrors, its
// lines too, and reads from the right. Its children do not take the
// mirroring from it: each control that shows text is mirrored itself, and
// the About picture, an image, is not.
DWORD frmTitleConfig::ExStyle() const {
    return rightToLeft_ ? kExStyle | WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_NOINHERITLAYOUT
                        : kExStyle;
}

// Each control is made at its place in the message font, so that nothing
// moves or repaints before the first paint.
DWORD frmTitleConfig::CreateControls() {
    dpi_ = GetDpiForWindow(Window());
    highContrast_ = HighContrastOn();
    font_ = MessageFont(dpi_);
    growth_ = GrowthAt(dpi_, font_.get());
    for (const layout::Control& control : layout::kControls) {
        const ControlClass kind = ClassOf(control.kind);
        const RECT place = ControlRect(control, dpi_, growth_);
        const DWORD mirrored = rightToLeft_ && control.kind != layout::Kind::kPictureButton
                                   ? WS_EX_LAYOUTRTL | WS_EX_RTLREADING
                                   : 0;
        const HWND child = CreateWindowExW(
            kind.exStyle | mirrored, kind.className,
            control.text != 0 ? texts_.Text(control.text).c_str() : L"",
            WS_CHILD | WS_VISIBLE | kind.style, place.left, place.top, place.right - place.left,
            place.bottom - place.top, Window(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_, nullptr);
        if (child == nullptr) {
            return LastError();
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    // The edit control's default limit is about 32K characters.
    SendMessageW(Control(layout::kText1), EM_SETLIMITTEXT, 0, 0);
    icons_.Apply(Window(), Control(layout::kCommand3), dpi_);
    // The frame was made for the system's DPI; a window that starts on a
    // monitor of another DPI takes its own.
    FitFrameToClient(Window(), dpi_, growth_);
    return ERROR_SUCCESS;
}

// The room the labels and buttons need in `font` at `dpi` beyond the
// layout's: a longer language, or a larger message font (the text size
// setting), widens the window; texts that fit keep the layout exactly.
Growth frmTitleConfig::GrowthAt(UINT dpi, HFONT font) const {
    if (font == nullptr) {
        return {};
    }
    return GrowthFor({texts_.Text(IDS_LABEL2), texts_.Text(IDS_LABEL1)},
                     {texts_.Text(IDS_OK), texts_.Text(IDS_CANCEL)}, font, dpi);
}

void frmTitleConfig::ApplyLayout(UINT dpi) {
    dpi_ = dpi;
    ApplyFont(dpi);
    growth_ = GrowthAt(dpi, font_.get());
    PlaceControls(Window(), dpi, growth_);
    icons_.Apply(Window(), Control(layout::kCommand3), dpi);
    InvalidateRect(Window(), nullptr, TRUE);
}

// Every control takes the new font before the old one is deleted.
void frmTitleConfig::ApplyFont(UINT dpi) {
    UniqueFont font = MessageFont(dpi);
    if (!font) {
        return;
    }
    for (const layout::Control& control : layout::kControls) {
        SendMessageW(Control(control.id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    font_ = std::move(font);
}

// The mouse has come over a control: the About button's tooltip is needed
// from now on, and not before.
void frmTitleConfig::OnSetCursor(HWND control) {
    if (control == Control(layout::kCommand3)) {
        tooltip_.Create(Window(), control, texts_.Text(IDS_ABOUT), rightToLeft_);
    }
}

// The answer is the icon held, whatever setting it made the system ask or
// store meanwhile (Wine's driver asks again); the caller may name a DPI.
HICON frmTitleConfig::OnGetIcon(WPARAM type, UINT dpi) {
    return icons_.Answer(Window(), type, dpi, dpi_);
}

void frmTitleConfig::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    // Every control is named, so that a new one is routed or said to do
    // nothing; IDOK and IDCANCEL from Enter and Escape are none of them.
    switch (static_cast<layout::ControlId>(id)) {
        case layout::kCommand1:
            Command1_Click(*this, registry_, texts_, state_);
            break;
        case layout::kCommand2:
            Command2_Click(*this);
            break;
        case layout::kCommand3:
            Command3_Click(*this, texts_);
            break;
        case layout::kLabel1:
        case layout::kLabel2:
        case layout::kLabel3:
        case layout::kText1:
            break;
    }
}

void frmTitleConfig::OnPaint() {
    const PaintScope paint(Window());
    if (paint.Dc() != nullptr) {
        PaintLines(paint.Dc());
    }
}

void frmTitleConfig::PaintLines(HDC dc) const {
    const int width = std::max(1, MulDiv(1, static_cast<int>(dpi_), 96));
    for (const layout::Line& line : layout::kLines) {
        const UniquePen pen(CreatePen(PS_SOLID, width, GetSysColor(line.systemColor)));
        const ScopedSelect select(dc, pen.get());
        MoveToEx(dc, TwipsToPixels(line.x1, dpi_), TwipsToPixels(line.y1, dpi_), nullptr);
        LineTo(dc, TwipsToPixels(line.x2, dpi_) + growth_.window, TwipsToPixels(line.y2, dpi_));
    }
}

LRESULT frmTitleConfig::OnControlColor(UINT message, HDC dc, HWND control) {
    const LRESULT brush = DefWindowProcW(Window(), message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control));
    if (const layout::Control* found = layout::FindControl(GetDlgCtrlID(control))) {
        if (const auto colour = layout::TextColour(*found, highContrast_)) {
            SetTextColor(dc, *colour);
        }
    }
    return brush;
}

void frmTitleConfig::OnActivate(bool active) {
    // Give the focus back to the control that had it.
    if (active) {
        if (lastFocus_ != nullptr) {
            SetFocus(lastFocus_);
        }
    } else {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Window(), focus)) {
            lastFocus_ = focus;
        }
    }
}

// High contrast switched on or off, or the system's colours changed: the
// texts take their colours anew, and the lines theirs at the next paint.
void frmTitleConfig::OnColoursChanged() {
    highContrast_ = HighContrastOn();
    tooltip_.OnColoursChanged();
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The message font or the theme changed: the layout is made anew, and
// the frame fitted to what the texts now need.
void frmTitleConfig::OnMetricsChanged() {
    OnColoursChanged();
    ApplyLayout(dpi_);
    FitFrameToClient(Window(), dpi_, growth_);
}

// Called with run-time values only: inlined with a constant, the other
// cases would be code the optimiser proves dead (C4702).
void frmTitleConfig::OnSettingChange(SettingEffect effect) {
    switch (effect) {
        case SettingEffect::kLayout:
            OnMetricsChanged();
            break;
        case SettingEffect::kColours:
            OnColoursChanged();
            break;
        case SettingEffect::kNone:
            break;
    }
}

// Asked before a move to a monitor of another DPI: the frame that holds the
// layout's client area there.
BOOL frmTitleConfig::OnGetDpiScaledSize(UINT dpi, SIZE& size) const {
    size = FrameSize(dpi, GrowthAt(dpi, MessageFont(dpi).get()), kStyle, ExStyle());
    return TRUE;
}

void frmTitleConfig::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyLayout(dpi);
    SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FitFrameToClient(Window(), dpi_, growth_);
}

void frmTitleConfig::SetLabel3Caption(const std::wstring& text) {
    SetWindowTextW(Control(layout::kLabel3), text.c_str());
}

void frmTitleConfig::SetText1Text(const std::wstring& text) {
    SetWindowTextW(Control(layout::kText1), text.c_str());
}

std::wstring frmTitleConfig::Text1Text() const {
    const HWND edit = Control(layout::kText1);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

void frmTitleConfig::FocusText1() {
    const HWND edit = Control(layout::kText1);
    lastFocus_ = edit;
    SendMessageW(edit, EM_SETSEL, 0, -1);
    // A hidden window's control takes the focus when the window is
    // activated (OnActivate).
    if (IsWindowVisible(Window())) {
        SetFocus(edit);
    }
}

void frmTitleConfig::Hide() {
    ShowWindow(Window(), SW_HIDE);
}

void frmTitleConfig::Show() {
    ShowWindow(Window(), SW_SHOW);
    SetForegroundWindow(Window());
    if (lastFocus_ != nullptr) {
        SetFocus(lastFocus_);
    }
}

// The program ends with the unload, never with the window's destruction as
// such: a window destroyed while it is made must leave no WM_QUIT behind,
// or the box that reports the failure closes before the user sees it.
void frmTitleConfig::Unload() {
    window_.reset();
    PostQuitMessage(failed_ ? exit_code::kUnexpected : exit_code::kSuccess);
}

void frmTitleConfig::ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) {
    const UINT style = static_cast<UINT>(MB_OK) |
                       static_cast<UINT>(icon == Icon::kError ? MB_ICONERROR : MB_ICONINFORMATION) |
                       MessageBoxReading(texts_);
    MessageBoxW(Window(), text.c_str(), caption.c_str(), style);
}
