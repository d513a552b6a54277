// The console's pieces end between whole characters.
#include <gtest/gtest.h>

#include "cli/std_streams.h"

namespace {

TEST(WholeCharactersUpTo, NeverSplitsASurrogatePair) {
    const std::wstring pair = L"ab\xD83D\xDE00";
    EXPECT_EQ(WholeCharactersUpTo(pair, 3), 2u);
    EXPECT_EQ(WholeCharactersUpTo(pair, 4), 4u);
    EXPECT_EQ(WholeCharactersUpTo(pair, 2), 2u);
    EXPECT_EQ(WholeCharactersUpTo(L"abc", 2), 2u);
}

}  // namespace
