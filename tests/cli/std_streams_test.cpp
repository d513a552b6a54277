// What the command line writes to: only streams, in pieces that end
// between whole characters.
#include <gtest/gtest.h>

#include "cli/std_streams.h"

namespace {

TEST(WholeCharactersUpTo, NeverSplitsASurrogatePair) {
    const std::wstring pair = L"ab\xD83D\xDE00";
    EXPECT_EQ(WholeCharactersUpTo(pair, 3), 2u);
    EXPECT_EQ(WholeCharactersUpTo(pair, 4), 4u);
    EXPECT_EQ(WholeCharactersUpTo(pair, 2), 2u);
    EXPECT_EQ(WholeCharactersUpTo(L"abc", 2), 2u);
    // A piece that ends on a pair's low half holds the whole pair.
    EXPECT_EQ(WholeCharactersUpTo(pair + L"c", 4), 4u);
}

TEST(IsStream, TakesFilesDevicesAndPipesAndNothingElse) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    const UniqueFileHandle pipeRead(read);
    const UniqueFileHandle pipeWrite(write);
    const UniqueFileHandle device(
        CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const UniqueFileHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    wchar_t folder[MAX_PATH]{};
    wchar_t path[MAX_PATH]{};
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"tb", 0, path), 0u);
    const UniqueFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    EXPECT_TRUE(IsStream(file.get()));
    EXPECT_TRUE(IsStream(pipeWrite.get()));
    EXPECT_TRUE(IsStream(device.get()));
    EXPECT_FALSE(IsStream(event.get()));
    EXPECT_FALSE(IsStream(nullptr));
}

}  // namespace
