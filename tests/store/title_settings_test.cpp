// The browser title operations, against every backend.
#include <gtest/gtest.h>

#include "store/title_settings.h"
#include "support/registry_backends.h"

namespace {

using namespace std::string_literals;

constexpr const char* kKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kValue = "Window Title";

class TitleSettings : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        registry_ = GetParam().make();
        ASSERT_TRUE(registry_->Ready());
    }
    Registry Reg() { return registry_->Get(); }
    void Seed(RegRoot root, std::uint32_t type, std::string bytes) {
        ASSERT_EQ(SeedValue(Reg().api, root, kKey, kValue, type, std::move(bytes)), 0);
    }

    std::unique_ptr<TestRegistry> registry_;
};

TEST_P(TitleSettings, NoValuesGiveAnEmptyUserTitleAndTheFallback) {
    EXPECT_EQ(GetUserTitle(Reg()), L"");
    EXPECT_EQ(GetDefaultTitle(Reg()), L"Microsoft Internet Explorer");
}

TEST_P(TitleSettings, ReadsEachTitleFromItsOwnRoot) {
    Seed(RegRoot::kCurrentUser, reg_type::kSz, "Mine\0"s);
    Seed(RegRoot::kLocalMachine, reg_type::kSz, "Machine's\0"s);
    EXPECT_EQ(GetUserTitle(Reg()), L"Mine");
    EXPECT_EQ(GetDefaultTitle(Reg()), L"Machine's");
}

struct MachineShape {
    const char* name;
    std::optional<std::uint32_t> type;  // none: the key exists, the value not
    std::string bytes;
    std::wstring expected;
};

class DefaultTitleShapes : public testing::TestWithParam<std::tuple<Backend, MachineShape>> {};

TEST_P(DefaultTitleShapes, FallsBackOnlyWhenTheTitleIsEmptyOrAbsent) {
    const auto& [backend, shape] = GetParam();
    auto registry = backend.make();
    ASSERT_TRUE(registry->Ready());
    RegistryApi& api = registry->Get().api;
    if (shape.type) {
        ASSERT_EQ(SeedValue(api, RegRoot::kLocalMachine, kKey, kValue, *shape.type, shape.bytes),
                  0);
    } else {
        ASSERT_EQ(SeedKey(api, RegRoot::kLocalMachine, kKey), 0);
    }
    EXPECT_EQ(GetDefaultTitle(registry->Get()), shape.expected);
}

const MachineShape kMachineShapes[] = {
    {"NoValue", std::nullopt, "", L"Microsoft Internet Explorer"},
    {"Empty", reg_type::kSz, "\0"s, L"Microsoft Internet Explorer"},
    {"ZeroBytes", reg_type::kSz, "", L"Microsoft Internet Explorer"},
    {"ExpandSz", reg_type::kExpandSz, "Title\0"s, L"Microsoft Internet Explorer"},
    {"Dword", reg_type::kDword, "\0\0\0\0"s, L"Microsoft Internet Explorer"},
    {"OneBlank", reg_type::kSz, " \0"s, L" "},
    {"NulFirst", reg_type::kSz, "\0hidden\0"s, L"Microsoft Internet Explorer"},
};

INSTANTIATE_TEST_SUITE_P(Backends, DefaultTitleShapes,
                         testing::Combine(testing::ValuesIn(AllBackends()),
                                          testing::ValuesIn(kMachineShapes)),
                         BackendShapeName<MachineShape>);

TEST_P(TitleSettings, AUserTitleOfAnotherTypeReadsAsEmpty) {
    Seed(RegRoot::kCurrentUser, reg_type::kExpandSz, "Title\0"s);
    EXPECT_EQ(GetUserTitle(Reg()), L"");
}

TEST_P(TitleSettings, AnEmptyTitleIsStoredAsAValueHoldingOnlyItsNul) {
    EXPECT_TRUE(SetUserTitle(Reg(), L"").Saved());
    EXPECT_EQ(GetUserTitle(Reg()), L"");
    EXPECT_EQ(ReadRawValue(Reg().api, RegRoot::kCurrentUser, kKey, kValue),
              (RawValue{reg_type::kSz, "\0"s}));
}

TEST_P(TitleSettings, SetWritesOnlyThePerUserValueUnchanged) {
    Seed(RegRoot::kLocalMachine, reg_type::kSz, "Machine\0"s);
    ASSERT_EQ(SeedValue(Reg().api, RegRoot::kCurrentUser, kKey, "Start Page", reg_type::kSz,
                        "about:blank\0"s),
              0);
    EXPECT_TRUE(SetUserTitle(Reg(), L"  padded  ").Saved());
    EXPECT_EQ(GetUserTitle(Reg()), L"  padded  ");
    EXPECT_EQ(GetDefaultTitle(Reg()), L"Machine");
    EXPECT_EQ(ReadRawValue(Reg().api, RegRoot::kCurrentUser, kKey, "Start Page"),
              (RawValue{reg_type::kSz, "about:blank\0"s}));
}

TEST_P(TitleSettings, SetReportsTextTheCodePageCannotCarry) {
    EXPECT_EQ(SetUserTitle(Reg(), L"\u03A9").outcome, SaveOutcome::kTextNotStorable);
    EXPECT_EQ(ReadRawValue(Reg().api, RegRoot::kCurrentUser, kKey, kValue), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Backends, TitleSettings, testing::ValuesIn(AllBackends()), BackendName);

}  // namespace
