// The system's own description of a Win32 error code, in the user's
// language. Windows only.
#pragma once

#include <string>

#include "registry_api.h"

// The description without its trailing line end, or "Error N." when the
// system has none.
std::wstring DescribeSystemError(RegStatus code);
