#include "window/form_handlers.h"

#include "store/title_settings.h"

std::wstring ConfirmationText(std::wstring_view title) {
    std::wstring text = L"Internet Explorer Titlebar changed to '";
    text += title;
    text += L" '";
    return text;
}

std::wstring MangledOfferText() {
    return L"The title was not changed.\r\n\r\n"
           L"The machine-wide title could not be read whole, so the text offered is not that "
           L"title. Type the title you want.";
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
    // A title mangled on the way in is not stored back; said so, the user's
    // next act is to fix the text, so the window comes back with it selected.
    std::wstring failure;
    if (title == state.lossyText1) {
        failure = MangledOfferText();
    } else if (const SaveResult result = SetUserTitle(registry, title); !result.Saved()) {
        failure = FailureText(result, errors);
    }
    if (!failure.empty()) {
        // Chosen before the box, so that Text1 is the first focus the
        // window takes again, whenever the system gives it back (Wine does
        // as the box closes): a screen reader announces nothing before it.
        form.FocusText1();
        form.ShowMessage(failure, std::wstring(kFailureCaption), FormView::Icon::kError);
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
