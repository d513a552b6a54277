// The program's only window: shows the per-user title, offers the machine-wide
// one for editing, and stores the edited text on OK.
#pragma once

#include <windows.h>

#include <string>

#include "common/text_ids.h"
#include "common/texts.h"
#include "common/win_handles.h"
#include "store/registry_api.h"
#include "window/control_tooltip.h"
#include "window/dpi_layout.h"
#include "window/form_handlers.h"
#include "window/layout.h"
#include "window/resource_ids.h"
#include "window/setting_change.h"
#include "window/window_icons.h"

// Whether the language of the texts whose tag is `languageTag` (IDS_LANGUAGE)
// is written from right to left: the window then mirrors, as Windows'
// own do in that language, and its boxes read from the right.
[[nodiscard]] bool ReadsRightToLeft(const wchar_t* languageTag) noexcept;

// The message box styles of texts in the language tagged `languageTag`:
// none, or read from the right. Every box the program shows takes them
// from here.
[[nodiscard]] UINT MessageBoxReading(const wchar_t* languageTag) noexcept;
[[nodiscard]] UINT MessageBoxReading(const Texts& texts);

// Tells the user of an error that no handler caught.
void ShowUnhandledError(HWND owner, const char* what) noexcept;

// How loading the window ended.
struct LoadResult {
    DWORD error = ERROR_SUCCESS;  // the system's code for what failed, or ERROR_SUCCESS
    bool userTold = false;        // the user has already been shown an error box

    [[nodiscard]] bool Loaded() const { return error == ERROR_SUCCESS; }
};

class frmTitleConfig final : private FormView {
public:
    frmTitleConfig(Registry registry, const Texts& texts, HINSTANCE instance)
        : registry_(registry),
          texts_(texts),
          rightToLeft_(ReadsRightToLeft(texts.Text(IDS_LANGUAGE).c_str())),
          instance_(instance),
          icons_(IDI_APP, IDI_ABOUT) {}
    ~frmTitleConfig() override;
    frmTitleConfig(const frmTitleConfig&) = delete;
    frmTitleConfig& operator=(const frmTitleConfig&) = delete;

    // Creates the hidden window and its controls and runs Form_Load.
    [[nodiscard]] LoadResult Load();
    // Shows the window centred on the work area, the focus in Text1.
    void ShowCentred();
    // Lets the dialog manager handle Tab and the like; true when it did.
    [[nodiscard]] bool PreTranslateMessage(MSG& message);

private:
    template <class Owner>
    friend LRESULT CALLBACK ForwardToOwner(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND window) { window_.reset(window); }
    void Detach() { static_cast<void>(window_.release()); }
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ReportUnhandledError(const char* what) noexcept;

    [[nodiscard]] DWORD ExStyle() const;
    [[nodiscard]] DWORD CreateControls();
    [[nodiscard]] Growth GrowthAt(UINT dpi, HFONT font) const;
    void ApplyLayout(UINT dpi);
    void ApplyFont(UINT dpi);
    [[nodiscard]] HWND Window() const { return window_.get(); }
    [[nodiscard]] HWND Control(layout::ControlId id) const { return GetDlgItem(Window(), id); }

    void OnSetCursor(HWND control);
    [[nodiscard]] HICON OnGetIcon(WPARAM type, UINT dpi);
    void OnCommand(int id, int code);
    void OnPaint();
    void PaintLines(HDC dc) const;
    [[nodiscard]] LRESULT OnControlColor(UINT message, HDC dc, HWND control);
    void OnActivate(bool active);
    void OnColoursChanged();
    void OnMetricsChanged();
    void OnSettingChange(SettingEffect effect);
    [[nodiscard]] BOOL OnGetDpiScaledSize(UINT dpi, SIZE& size) const;
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    // FormView
    void SetLabel3Caption(const std::wstring& text) override;
    void SetText1Text(const std::wstring& text) override;
    [[nodiscard]] std::wstring Text1Text() const override;
    void Hide() override;
    void Show() override;
    void FocusText1() override;
    void Unload() override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) override;

    Registry registry_;
    const Texts& texts_;
    bool rightToLeft_;  // the texts' language is written from right to left
    FormState state_;
    HINSTANCE instance_;
    UniqueWindow owner_;  // hidden: an owned window has no taskbar button
    UniqueWindow window_;
    ControlTooltip tooltip_;
    HWND lastFocus_ = nullptr;  // one of window_'s controls
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    Growth growth_;  // the room this language's texts need beyond the layout
    bool highContrast_ = false;
    UniqueFont font_;
    WindowIcons icons_;
    DWORD createError_ = ERROR_SUCCESS;  // what WM_CREATE could not make
    bool failed_ = false;                // an unhandled error has been shown
};
