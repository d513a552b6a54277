// The system's description of a Win32 error code, as a collaborator that
// whatever tells the user of a failure is given, so that its texts can be
// tested anywhere.
#pragma once

#include <string>

#include "common/win32_error.h"

class SystemErrorTexts {
public:
    virtual ~SystemErrorTexts() = default;
    [[nodiscard]] virtual std::wstring SystemErrorText(Win32Error code) const = 0;

protected:
    SystemErrorTexts() = default;
    SystemErrorTexts(const SystemErrorTexts&) = default;
    SystemErrorTexts& operator=(const SystemErrorTexts&) = default;
};
