// The system's own description of a Win32 error code, in the user's
// language. Windows only.
#pragma once

#include <string>

#include "common/system_error_texts.h"
#include "common/win32_error.h"

// The description without its trailing line end, or "Error N." when the
// system has none.
std::wstring DescribeSystemError(Win32Error code);

// The system's descriptions, for whatever is given a SystemErrorTexts.
class SystemErrors final : public SystemErrorTexts {
public:
    std::wstring SystemErrorText(Win32Error code) const override {
        return DescribeSystemError(code);
    }
};
