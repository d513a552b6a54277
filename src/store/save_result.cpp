#include "store/save_result.h"

#include "common/text_ids.h"

std::wstring FailureText(const SaveResult& result, const Texts& texts) {
    return texts.TextWith(IDS_NOT_CHANGED, {result.outcome == SaveOutcome::kTextNotStorable
                                                ? texts.Text(IDS_NOT_STORABLE)
                                                : texts.SystemErrorText(result.error)});
}
