// The window procedure of a window that one C++ object runs. The object is
// the CreateWindowEx parameter; it is attached to the window at WM_NCCREATE,
// given every message inside the callback guard, and detached at
// WM_NCDESTROY, after which the window system has destroyed the window.
//
// The object provides:
//   void Attach(HWND window);     the window is made: own it
//   void Detach();                the window is gone: release it
//   LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);
//   void ReportUnhandledError(const char* what) noexcept;
#pragma once

#include <windows.h>

#include "common/handler_guard.h"

template <class Owner>
LRESULT CALLBACK ForwardToOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* owner = static_cast<Owner*>(create->lpCreateParams);
        owner->Attach(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    RunGuarded([&] { result = owner->HandleMessage(window, message, wParam, lParam); },
               [&](const char* what) noexcept { owner->ReportUnhandledError(what); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        owner->Detach();
    }
    return result;
}
