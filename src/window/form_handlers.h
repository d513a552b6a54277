// The window's handlers, apart from the window system: what each asks of its
// window goes through FormView, so the order of work can be tested anywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/texts.h"
#include "store/registry_api.h"

// What a handler asks of its window.
class FormView {
public:
    enum class Icon { kInformation, kError };

    virtual ~FormView() = default;
    virtual void SetLabel3Caption(const std::wstring& text) = 0;
    virtual void SetText1Text(const std::wstring& text) = 0;
    [[nodiscard]] virtual std::wstring Text1Text() const = 0;
    virtual void Hide() = 0;
    virtual void Show() = 0;
    // Puts the focus in Text1 with all of its text selected; while the
    // window is hidden, Text1 takes the focus when the window is activated.
    virtual void FocusText1() = 0;
    virtual void Unload() = 0;
    // A modal message box with one OK button; returns when it is closed.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& caption, Icon icon) = 0;

protected:
    FormView() = default;
    FormView(const FormView&) = default;
    FormView& operator=(const FormView&) = default;
};

// What the handlers keep between messages.
struct FormState {
    // The text Form_Load offered in Text1 when the code page lost characters
    // of the stored title: OK must not store it back unchanged.
    std::optional<std::wstring> lossyText1;
};

void Form_Load(FormView& form, Registry registry, FormState& state);
void Command1_Click(FormView& form, Registry registry, const Texts& texts, const FormState& state);
void Command2_Click(FormView& form);
void Command3_Click(FormView& form, const Texts& texts);
