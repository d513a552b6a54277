// Raw keys for tests that look at the registry apart from the store, with
// the wide functions. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "support/test_handles.h"

// The key, opened; empty when it cannot be opened.
inline UniqueKey OpenKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return UniqueKey();
    }
    return UniqueKey(key);
}

inline bool KeyExists(HKEY root, const std::wstring& path) {
    return static_cast<bool>(OpenKey(root, path));
}
