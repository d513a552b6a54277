// The scratch roots keep the tests' writes away from the real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include "store/title_settings.h"
#include "store/win_registry.h"
#include "support/scratch_registry.h"
#include "support/win_keys.h"

namespace {

TEST(ScratchRegistryRoots, WritesLandInTheScratchKeyAndLeaveWithIt) {
    const std::wstring before = GetUserTitle(SystemRegistry());
    std::wstring scratchPath;
    {
        ScratchRegistryRoots roots;
        ASSERT_TRUE(roots.Active());
        scratchPath = roots.Path();
        ASSERT_TRUE(SetUserTitle(SystemRegistry(), L"scratch only").Saved());
        EXPECT_EQ(GetUserTitle(SystemRegistry()), L"scratch only");
        // Through the redirected root, the scratch key's own path is not there.
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratchPath));
    }
    EXPECT_EQ(GetUserTitle(SystemRegistry()), before);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratchPath));
}

}  // namespace
