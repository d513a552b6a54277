// The window as the system runs it, in this process: what it leaves in the
// thread's queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "support/fake_system_errors.h"
#include "support/memory_registry.h"
#include "window/frm_title_config.h"

namespace {

constexpr wchar_t kBoxCaption[] = L"A box after a window that was never shown";

bool QuitPending() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// Shows a box on this thread, as the program reports a window it could not
// make, while another thread plays the user: it looks for the box until the
// box has come and gone, and clicks OK on any it finds. True when the box
// was still there 300 ms after it was found.
bool BoxWaitsForItsClick() {
    std::atomic<bool> returned{false};
    bool stayed = false;
    std::thread user([&] {
        HWND box = nullptr;
        while (box == nullptr && !returned) {
            Sleep(20);
            box = FindWindowW(L"#32770", kBoxCaption);
        }
        if (box != nullptr) {
            Sleep(300);
            stayed = IsWindowVisible(box) != FALSE;
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        }
    });
    MessageBoxW(nullptr, L"The window could not be created.", kBoxCaption, MB_OK);
    returned = true;
    user.join();
    return stayed;
}

TEST(FrmTitleConfig, AWindowDestroyedBeforeItShowsLeavesNoQuitBehind) {
    MemoryRegistry api;
    Cp1252Codec codec;
    const FakeSystemErrors errors;
    {
        frmTitleConfig form(Registry{api, codec}, errors);
        ASSERT_TRUE(form.Load(GetModuleHandleW(nullptr)).Loaded());
    }
    EXPECT_FALSE(QuitPending());
    EXPECT_TRUE(BoxWaitsForItsClick());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace
