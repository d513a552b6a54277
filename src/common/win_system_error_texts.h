// The system's own descriptions of Win32 error codes, in the user's
// language. Windows only.
#pragma once

#include <string>

#include "common/system_error_texts.h"
#include "common/win32_error.h"

class WinSystemErrorTexts final : public SystemErrorTexts {
public:
    // The description without its trailing line end, or "Error N." when the
    // system has none.
    [[nodiscard]] std::wstring SystemErrorText(Win32Error code) const override;
};
