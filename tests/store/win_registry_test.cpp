// The real registry's ANSI query, in a scratch key: its check for lost
// characters reads the copy with the codec the store converts with.
#include <gtest/gtest.h>

#include "store/title_settings.h"
#include "store/win_registry.h"
#include "support/scratch_registry.h"

namespace {

// The system's code page, but for one title, which it reads back as
// another text, as a code page that lacks some of its characters would.
class MarkingCodec final : public AnsiCodec {
public:
    std::optional<std::string> ToAnsi(std::wstring_view text) const override {
        return system_.ToAnsi(text);
    }
    std::optional<std::wstring> FromAnsi(std::string_view ansi) const override {
        auto text = system_.FromAnsi(ansi);
        if (text && text->rfind(L"Mine", 0) == 0) {
            (*text)[1] = L'?';
        }
        return text;
    }

private:
    WinAnsiCodec system_;
};

TEST(WinRegistryApi, ChecksTheCopyWithTheStoresCodec) {
    const ScratchRegistryRoots roots;
    ASSERT_TRUE(roots.Active());
    ASSERT_TRUE(SetUserTitle(SystemRegistry(), L"Mine").Saved());

    const MarkingCodec codec;
    WinRegistryApi api(codec);
    EXPECT_EQ(ReadUserTitle({api, codec}).outcome, ReadOutcome::kLossy);
    EXPECT_EQ(ReadUserTitle(SystemRegistry()).outcome, ReadOutcome::kRead);
}

}  // namespace
