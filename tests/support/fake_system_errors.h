// The system's description of an error, made up so that tests can tell
// which code a text was given.
#pragma once

#include <string>

#include "common/system_error_texts.h"

class FakeSystemErrors final : public SystemErrorTexts {
public:
    std::wstring SystemErrorText(Win32Error code) const override {
        return L"system text for " + std::to_wstring(code);
    }
};
