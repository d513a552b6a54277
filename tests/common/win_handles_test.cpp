// The owner of every handle: what it closes, when, and what it leaves of the
// last error.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "common/win_handles.h"

namespace {

// Handles that are numbers, each close recorded, and failing as a close of
// a stale handle does: with a last error of its own.
std::vector<int> closed;

struct FakeTraits {
    using Handle = int;
    static Handle None() noexcept { return 0; }
    static bool IsHandle(Handle handle) noexcept { return handle != 0; }
    static void Close(Handle handle) noexcept {
        closed.push_back(handle);
        SetLastError(ERROR_INVALID_HANDLE);
    }
};
using FakeOwner = UniqueHandle<FakeTraits>;

TEST(UniqueHandle, ClosesWhatItHeldOnMoveResetAndEndAndKeepsTheLastError) {
    closed.clear();
    {
        FakeOwner owner(1);
        FakeOwner other(2);
        owner = std::move(other);
        SetLastError(ERROR_FILE_NOT_FOUND);
        owner.reset(3);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_EQ(closed, (std::vector<int>{1, 2, 3}));
}

TEST(UniqueHandle, AResetToTheHandleHeldStopsDebugBuildsAndClosesNothing) {
    closed.clear();
    FakeOwner owner(1);
#ifdef NDEBUG
    owner.reset(1);
    EXPECT_TRUE(closed.empty());
#else
    EXPECT_DEATH(owner.reset(1), "");
#endif
    static_cast<void>(owner.release());
}

}  // namespace
