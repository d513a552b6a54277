#include "frm_title_config.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "handler_guard.h"
#include "resource_ids.h"
#include "system_error_text.h"

namespace {

constexpr wchar_t kClassName[] = L"frmTitleConfig";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::kLabel:
            // No prefix: an ampersand in a title is shown as it is.
            return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
        case layout::Kind::kEdit:
            return {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case layout::Kind::kButton:
            return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case layout::Kind::kPictureButton:
            return {WC_BUTTONW, BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0};
    }
    return {WC_STATICW, 0, 0};
}

}  // namespace

void ShowUnhandledError(HWND owner, const char* what) noexcept {
    // The exception's text is ASCII in practice; each byte becomes a character.
    wchar_t text[512] = L"An error occurred that the program did not expect:\n\n";
    std::size_t length = wcslen(text);
    for (const char* p = what; p != nullptr && *p != '\0' && length + 1 < std::size(text); ++p) {
        text[length++] = static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    text[length] = L'\0';
    MessageBoxW(owner, text, layout::kCaption, MB_OK | MB_ICONERROR);
}

frmTitleConfig::~frmTitleConfig() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool frmTitleConfig::Load(HINSTANCE instance) {
    instance_ = instance;
    bigIcon_.reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = bigIcon_.get();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        return false;
    }
    owner_.reset(CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr));
    window_ = CreateWindowExW(kExStyle, kClassName, layout::kCaption, kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, owner_.get(), nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    Form_Load(*this, registry_);
    return !failed_;
}

void frmTitleConfig::ShowCentred() {
    RECT frame{};
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    lastFocus_ = Control(layout::kText1);
    Show();
}

bool frmTitleConfig::PreTranslateMessage(MSG& message) {
    return window_ != nullptr && IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK frmTitleConfig::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<frmTitleConfig*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmTitleConfig*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    RunGuarded([&] { result = self->HandleMessage(window, message, wParam, lParam); },
               [&](const char* what) noexcept { self->ReportUnhandledError(what); });
    return result;
}

void frmTitleConfig::ReportUnhandledError(const char* what) noexcept {
    if (!failed_) {
        failed_ = true;
        ShowUnhandledError(window_, what);
    }
    PostQuitMessage(kExitUnhandledError);
}

LRESULT frmTitleConfig::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return OnControlColor(message, reinterpret_cast<HDC>(wParam),
                                  reinterpret_cast<HWND>(lParam));
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED:
            ApplyLayout(dpi_);
            break;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(failed_ ? kExitUnhandledError : 0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void frmTitleConfig::CreateControls() {
    for (const layout::Control& control : layout::kControls) {
        const ControlClass kind = ClassOf(control.kind);
        CreateWindowExW(kind.exStyle, kind.className, control.text,
                        WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_,
                        nullptr);
    }
    // The edit control's default limit is about 32K characters.
    SendMessageW(Control(layout::kText1), EM_SETLIMITTEXT, 0, 0);

    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               window_, nullptr, instance_, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(layout::kCommand3));
    tool.lpszText = const_cast<wchar_t*>(layout::kAboutName);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    ApplyLayout(GetDpiForWindow(window_));
}

int frmTitleConfig::ToPixels(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), layout::kTwipsPerInch);
}

void frmTitleConfig::ApplyLayout(UINT dpi) {
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    for (const layout::Control& control : layout::kControls) {
        const HWND child = Control(control.id);
        SetWindowPos(child, nullptr, ToPixels(control.box.left), ToPixels(control.box.top),
                     ToPixels(control.box.width), ToPixels(control.box.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }

    const int iconSize = MulDiv(layout::kAboutIconSize, static_cast<int>(dpi), 96);
    aboutIcon_.reset(static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_ABOUT), IMAGE_ICON, iconSize, iconSize, 0)));
    SendMessageW(Control(layout::kCommand3), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(aboutIcon_.get()));
    const int small = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    smallIcon_.reset(static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, small, small, 0)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));

    RECT frame{0, 0, ToPixels(layout::kClientWidth), ToPixels(layout::kClientHeight)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

void frmTitleConfig::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    switch (id) {
        case layout::kCommand1:
            Command1_Click(*this, registry_);
            break;
        case layout::kCommand2:
            Command2_Click(*this);
            break;
        case layout::kCommand3:
            Command3_Click(*this);
            break;
        default:
            break;  // IDOK and IDCANCEL from Enter and Escape press nothing
    }
}

void frmTitleConfig::OnPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window_, &paint);
    const int width = std::max(1, MulDiv(1, static_cast<int>(dpi_), 96));
    for (const layout::Line& line : layout::kLines) {
        const UniquePen pen(CreatePen(PS_SOLID, width, GetSysColor(line.systemColor)));
        const ScopedSelect select(dc, pen.get());
        MoveToEx(dc, ToPixels(line.x1), ToPixels(line.y1), nullptr);
        LineTo(dc, ToPixels(line.x2), ToPixels(line.y2));
    }
    EndPaint(window_, &paint);
}

LRESULT frmTitleConfig::OnControlColor(UINT message, HDC dc, HWND control) {
    const LRESULT brush = DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control));
    const int id = GetDlgCtrlID(control);
    if (id == layout::kLabel3 || id == layout::kText1) {
        SetTextColor(dc, layout::kDarkBlue);
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
        if (focus != nullptr && IsChild(window_, focus)) {
            lastFocus_ = focus;
        }
    }
}

void frmTitleConfig::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyLayout(dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
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

void frmTitleConfig::Hide() {
    ShowWindow(window_, SW_HIDE);
}

void frmTitleConfig::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    if (lastFocus_ != nullptr) {
        SetFocus(lastFocus_);
    }
}

void frmTitleConfig::Unload() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void frmTitleConfig::ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) {
    const UINT style = static_cast<UINT>(MB_OK) |
                       static_cast<UINT>(icon == Icon::kError ? MB_ICONERROR : MB_ICONINFORMATION);
    MessageBoxW(window_, text.c_str(), caption.c_str(), style);
}

std::wstring frmTitleConfig::SystemErrorText(RegStatus code) const {
    return DescribeSystemError(code);
}
