// Owners for the Windows handles the program holds, one type each; the
// tests add their own in tests/support/test_handles.h.
#pragma once

#include <windows.h>

#include <cassert>
#include <utility>

// One owner for every kind of handle. Traits names the handle's type, the
// value that means none, whether a value is a handle at all, and how one is
// closed.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsHandle(handle_); }
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::None()); }
    // Closes the handle held and takes `handle`. The last error outlives the
    // close, so that GetLastError after owner.reset(CreateXxx(...)) is the
    // create's. A reset to the handle held is the caller's bug: debug builds
    // stop on it, and release builds keep the handle open.
    void reset(Handle handle = Traits::None()) noexcept {
        assert(!Traits::IsHandle(handle) || handle != handle_);
        const Handle old = std::exchange(handle_, handle);
        if (Traits::IsHandle(old) && old != handle) {
            const DWORD error = GetLastError();
            Traits::Close(old);
            SetLastError(error);
        }
    }

private:
    Handle handle_ = Traits::None();
};

// Traits for the handles whose none is null; Close is a function object.
template <class H, class Closer>
struct NullIsNone {
    using Handle = H;
    [[nodiscard]] static Handle None() noexcept { return nullptr; }
    [[nodiscard]] static bool IsHandle(Handle handle) noexcept { return handle != nullptr; }
    static void Close(Handle handle) noexcept { Closer{}(handle); }
};

struct CloseGdiObject {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
struct FreeLocalMemory {
    void operator()(HLOCAL memory) const noexcept { LocalFree(memory); }
};
struct DestroyWindowHandle {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};

// A file, pipe or console handle: CreateFile reports failure as
// INVALID_HANDLE_VALUE, not null, and neither is closed.
struct FileHandleTraits {
    using Handle = HANDLE;
    [[nodiscard]] static Handle None() noexcept { return INVALID_HANDLE_VALUE; }
    [[nodiscard]] static bool IsHandle(Handle handle) noexcept {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

using UniqueFont = UniqueHandle<NullIsNone<HFONT, CloseGdiObject>>;
using UniquePen = UniqueHandle<NullIsNone<HPEN, CloseGdiObject>>;
using UniqueIcon = UniqueHandle<NullIsNone<HICON, DestroyIconHandle>>;
// A window that its owner destroys; a window that the system destroys
// first (a window procedure's object at WM_NCDESTROY) is released instead.
using UniqueWindow = UniqueHandle<NullIsNone<HWND, DestroyWindowHandle>>;
// Memory from LocalAlloc, or from a function that allocates with it
// (FormatMessage, ConvertStringSecurityDescriptorToSecurityDescriptor).
using UniqueLocalMemory = UniqueHandle<NullIsNone<HLOCAL, FreeLocalMemory>>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

// A window's paint, from BeginPaint to EndPaint. A BeginPaint that fails
// gives no device context to paint with, and nothing to end.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() {
        if (dc_ != nullptr) {
            EndPaint(window_, &paint_);
        }
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    // Null when BeginPaint failed.
    [[nodiscard]] HDC Dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects a GDI object into a device context for one scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
