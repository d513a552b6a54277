// The program's only window: shows the per-user title, offers the machine-wide
// one for editing, and stores the edited text on OK.
#pragma once

#include <windows.h>

#include <string>

#include "form_handlers.h"
#include "layout.h"
#include "registry_api.h"
#include "win_handles.h"

// Tells the user of an error that no handler caught.
void ShowUnhandledError(HWND owner, const char* what) noexcept;

class frmTitleConfig final : private FormView {
public:
    // The exit code after an error that no handler caught.
    static constexpr int kExitUnhandledError = 3;

    explicit frmTitleConfig(Registry registry) : registry_(registry) {}
    ~frmTitleConfig() override;
    frmTitleConfig(const frmTitleConfig&) = delete;
    frmTitleConfig& operator=(const frmTitleConfig&) = delete;

    // Creates the hidden window and its controls and runs Form_Load.
    // Returns 0, or the system's error code for what could not be made.
    [[nodiscard]] DWORD Load(HINSTANCE instance);
    // Whether an error has already been shown to the user.
    bool ErrorShown() const { return failed_; }
    // Shows the window centred on the work area, the focus in Text1.
    void ShowCentred();
    // Lets the dialog manager handle Tab and the like; true when it did.
    bool PreTranslateMessage(MSG& message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ReportUnhandledError(const char* what) noexcept;

    [[nodiscard]] DWORD CreateControls();
    void CreateTooltip();
    void ApplyLayout(UINT dpi);
    void ApplyFont(UINT dpi);
    void ApplyIcons(UINT dpi);
    void ApplyBigIcon(UINT dpi);
    SIZE FrameSize(UINT dpi) const;
    void FitFrameToClient();
    int ToPixels(int twips) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    void OnCommand(int id, int code);
    void OnPaint();
    LRESULT OnControlColor(UINT message, HDC dc, HWND control);
    void OnActivate(bool active);
    void OnColoursChanged();
    BOOL OnGetDpiScaledSize(UINT dpi, SIZE& size) const;
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    // FormView
    void SetLabel3Caption(const std::wstring& text) override;
    void SetText1Text(const std::wstring& text) override;
    std::wstring Text1Text() const override;
    void Hide() override;
    void Show() override;
    void Unload() override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) override;
    std::wstring SystemErrorText(RegStatus code) const override;

    Registry registry_;
    HINSTANCE instance_ = nullptr;
    UniqueWindow owner_;  // hidden: an owned window has no taskbar button
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool highContrast_ = false;
    UniqueFont font_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UniqueIcon aboutIcon_;
    DWORD createError_ = ERROR_SUCCESS;
    bool failed_ = false;
};
