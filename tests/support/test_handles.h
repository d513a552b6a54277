// Owners of the handles that only the tests hold, in the program's family
// of owners. Windows only.
#pragma once

#include <windows.h>

#include "common/win_handles.h"

struct CloseKernelHandle {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct CloseKey {
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
struct FreeModule {
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};

// Process, thread, job and other handles whose failure value is null.
using UniqueKernelHandle = UniqueHandle<NullIsNone<HANDLE, CloseKernelHandle>>;
using UniqueKey = UniqueHandle<NullIsNone<HKEY, CloseKey>>;
using UniqueModule = UniqueHandle<NullIsNone<HMODULE, FreeModule>>;
using UniqueBitmap = UniqueHandle<NullIsNone<HBITMAP, CloseGdiObject>>;
using UniqueBrush = UniqueHandle<NullIsNone<HBRUSH, CloseGdiObject>>;
using UniqueMemoryDc = UniqueHandle<NullIsNone<HDC, DeleteMemoryDc>>;

// A window's device context (the screen's for none), from GetDC to ReleaseDC.
class WindowDcScope {
public:
    explicit WindowDcScope(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDcScope() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDcScope(const WindowDcScope&) = delete;
    WindowDcScope& operator=(const WindowDcScope&) = delete;

    HDC Dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
