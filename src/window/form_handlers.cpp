#include "window/form_handlers.h"

#include "common/text_ids.h"
#include "store/title_settings.h"

void Form_Load(FormView& form, Registry registry, FormState& state) {
    form.SetLabel3Caption(GetUserTitle(registry));
    ReadResult offered = ReadDefaultTitle(registry);
    form.SetText1Text(offered.text);
    if (offered.outcome == ReadOutcome::kLossy) {
        state.lossyText1 = std::move(offered.text);
    }
}

void Command1_Click(FormView& form, Registry registry, const Texts& texts, const FormState& state) {
    form.Hide();
    const std::wstring title = form.Text1Text();
    // A title mangled on the way in is not stored back; said so, the user's
    // next act is to fix the text, so the window comes back with it selected.
    std::wstring failure;
    if (title == state.lossyText1) {
        failure = texts.TextWith(IDS_NOT_CHANGED, {texts.Text(IDS_MANGLED_OFFER)});
    } else if (const SaveResult result = SetUserTitle(registry, title); !result.Saved()) {
        failure = FailureText(result, texts);
    }
    if (!failure.empty()) {
        // Chosen before the box, so that Text1 is the first focus the
        // window takes again, whenever the system gives it back (Wine does
        // as the box closes): a screen reader announces nothing before it.
        form.FocusText1();
        form.ShowMessage(failure, texts.Text(IDS_FAILURE_CAPTION), FormView::Icon::kError);
        form.Show();
        return;
    }
    form.ShowMessage(texts.TextWith(IDS_CONFIRMATION, {form.Text1Text()}),
                     texts.Text(IDS_CONFIRMATION_CAPTION), FormView::Icon::kInformation);
    form.Unload();
}

void Command2_Click(FormView& form) {
    form.Hide();
    form.Unload();
}

void Command3_Click(FormView& form, const Texts& texts) {
    form.ShowMessage(texts.Text(IDS_ABOUT_TEXT), texts.Text(IDS_ABOUT),
                     FormView::Icon::kInformation);
}
