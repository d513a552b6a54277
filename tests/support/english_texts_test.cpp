// The string tables' reader: a text of thousands of characters (MSVC's
// std::regex throws past about 300, and GCC's overflows a Windows thread's
// stack long before this), "" quotes and escapes, and an id named only in a
// comment.
#include <gtest/gtest.h>

#include "support/english_texts.h"

namespace {

TEST(ParseStringTable, ReadsEveryEntryWhateverItsLength) {
    const std::string script = "// IDS_COMMENT \"no entry\"\nSTRINGTABLE\nBEGIN\n    IDS_LONG \"" +
                               std::string(5000, 'x') +
                               " \"\"quoted\"\"\\r\\n\"\n\tIDS_EMPTY \"\"\nEND\n";
    EXPECT_EQ(
        ParseStringTable(script),
        (std::map<std::string, std::wstring>{
            {"IDS_LONG", std::wstring(5000, L'x') + L" \"quoted\"\r\n"}, {"IDS_EMPTY", L""}}));
}

}  // namespace
