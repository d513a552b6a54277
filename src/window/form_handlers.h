// The window's handlers, apart from the window system: what each asks of its
// window goes through FormView, so the order of work can be tested anywhere.
#pragma once

#include <string>
#include <string_view>

#include "reg_string.h"
#include "registry_api.h"

// The system's description of a Win32 error code.
class SystemErrorTexts {
public:
    virtual ~SystemErrorTexts() = default;
    virtual std::wstring SystemErrorText(RegStatus code) const = 0;

protected:
    SystemErrorTexts() = default;
    SystemErrorTexts(const SystemErrorTexts&) = default;
    SystemErrorTexts& operator=(const SystemErrorTexts&) = default;
};

// What a handler asks of its window.
class FormView : public SystemErrorTexts {
public:
    enum class Icon { kInformation, kError };

    virtual void SetLabel3Caption(const std::wstring& text) = 0;
    virtual void SetText1Text(const std::wstring& text) = 0;
    virtual std::wstring Text1Text() const = 0;
    virtual void Hide() = 0;
    virtual void Show() = 0;
    virtual void Unload() = 0;
    // A modal message box with one OK button; returns when it is closed.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) = 0;

protected:
    FormView() = default;
    FormView(const FormView&) = default;
    FormView& operator=(const FormView&) = default;
};

inline constexpr std::wstring_view kConfirmationCaption = L"Registry changed";
inline constexpr std::wstring_view kFailureCaption = L"Registry not changed";
inline constexpr std::wstring_view kAboutCaption = L"About";

std::wstring ConfirmationText(std::wstring_view title);
// Why a write failed, for the user: the window's error box and the command
// line's error stream say the same.
std::wstring FailureText(const SaveResult& result, const SystemErrorTexts& texts);
std::wstring AboutText();

void Form_Load(FormView& form, Registry registry);
void Command1_Click(FormView& form, Registry registry);
void Command2_Click(FormView& form);
void Command3_Click(FormView& form);
