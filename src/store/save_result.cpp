#include "store/save_result.h"

std::wstring FailureText(const SaveResult& result, const SystemErrorTexts& errors) {
    std::wstring text = L"The title was not changed.\r\n\r\n";
    if (result.outcome == SaveOutcome::kTextNotStorable) {
        text += L"It holds characters that this system's code page cannot store.";
    } else {
        text += errors.SystemErrorText(result.error);
    }
    return text;
}
