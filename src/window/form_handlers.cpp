#include "window/form_handlers.h"

#include "store/title_settings.h"

std::wstring ConfirmationText(std::wstring_view title) {
    std::wstring text = L"Internet Explorer Titlebar changed to '";
    text += title;
    text += L" '";
    return text;
}

std::wstring AboutText() {
    return L"This tool loads the current Microsoft Internet Explorer Window Title from registry "
           L"to edit any wanted title caption to be saved to registry. "
           L"\r\n\r\n"
           L"Copyright \u00A9 2026 Tavrelin."
           L"\r\n"
           L"Find more information about Tavrelin at https://tavrelin.example.com/";
}

void Form_Load(FormView& form, Registry registry, FormState& state) {
    form.SetLabel3Caption(GetUserTitle(registry));
    ReadResult offered = ReadDefaultTitle(registry);
    form.SetText1Text(offered.text);
    if (offered.outcome == ReadOutcome::kLossy) {
        state.lossyText1 = std::move(offered.text);
    }
}

void Command1_Click(FormView& form, Registry registry, const SystemErrorTexts& errors,
                    const FormState& state) {
    form.Hide();
    const std::wstring title = form.Text1Text();
    // A title mangled on the way in is no more storable than one typed with
    // characters the code page lacks.
    const SaveResult result = title == state.lossyText1
                                  ? SaveResult{SaveOutcome::kTextNotStorable, win32_error::kSuccess}
                                  : SetUserTitle(registry, title);
    if (!result.Saved()) {
        // Say what went wrong and let the user try again or cancel.
        form.ShowMessage(FailureText(result, errors), std::wstring(kFailureCaption),
                         FormView::Icon::kError);
        form.Show();
        return;
    }
    form.ShowMessage(ConfirmationText(form.Text1Text()), std::wstring(kConfirmationCaption),
                     FormView::Icon::kInformation);
    form.Unload();
}

void Command2_Click(FormView& form) {
    form.Hide();
    form.Unload();
}

void Command3_Click(FormView& form) {
    form.ShowMessage(AboutText(), std::wstring(kAboutCaption), FormView::Icon::kInformation);
}
