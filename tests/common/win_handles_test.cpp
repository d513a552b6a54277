// The handle owners: what none is, and a reset to the handle held.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/win_handles.h"

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ResetToItsOwnHandleKeepsItOpen) {
    UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.get();
    event.reset(raw);
    EXPECT_TRUE(IsOpen(raw));
    event.reset();
    EXPECT_FALSE(IsOpen(raw));
}

// CreateFile fails with INVALID_HANDLE_VALUE, which is no handle to close.
TEST(UniqueHandle, AFileOwnerTakesInvalidHandleValueForNone) {
    EXPECT_FALSE(UniqueFileHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueFileHandle());
}

}  // namespace
