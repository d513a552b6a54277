// The contract of the five registry operations, held against the in-memory
// registry and, under Windows or Wine, the real one.
#include <gtest/gtest.h>

#include "support/registry_backends.h"

namespace {

constexpr RegRoot kUser = RegRoot::kCurrentUser;
constexpr const char* kPath = "Software\\Behaviour\\Key";

class RegistryBehaviour : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        registry_ = GetParam().make();
        ASSERT_TRUE(registry_->Ready());
    }
    RegistryApi& Api() { return registry_->Get().api; }

    std::unique_ptr<TestRegistry> registry_;
};

TEST_P(RegistryBehaviour, OpenOfAMissingKeyFailsAndLeavesTheHandle) {
    RegKey key = 0;
    EXPECT_NE(Api().RegOpenKeyA(kUser, kPath, key), 0);
    EXPECT_EQ(key, 0u);
}

TEST_P(RegistryBehaviour, CreateMakesEveryMissingKeyOnThePath) {
    RegKey key = 0;
    ASSERT_EQ(Api().RegCreateKeyA(kUser, "Software\\Behaviour\\A\\B\\C", key), 0);
    EXPECT_NE(key, 0u);
    EXPECT_EQ(Api().RegCloseKey(key), 0);
    for (const char* path :
         {"Software\\Behaviour\\A", "Software\\Behaviour\\A\\B", "Software\\Behaviour\\A\\B\\C"}) {
        RegKey opened = 0;
        EXPECT_EQ(Api().RegOpenKeyA(kUser, path, opened), 0) << path;
        EXPECT_EQ(Api().RegCloseKey(opened), 0) << path;
    }
}

TEST_P(RegistryBehaviour, KeyAndValueNamesIgnoreCase) {
    ASSERT_EQ(SeedValue(Api(), kUser, kPath, "Window Title", reg_type::kSz, std::string("x\0", 2)),
              0);
    EXPECT_EQ(ReadRawValue(Api(), kUser, "SOFTWARE\\behaviour\\KEY", "WINDOW title"),
              (RawValue{reg_type::kSz, std::string("x\0", 2)}));
}

TEST_P(RegistryBehaviour, QueryOfAnAbsentValueOrHandleZeroLeavesTypeAndCount) {
    ASSERT_EQ(SeedKey(Api(), kUser, kPath), 0);
    RegKey key = 0;
    ASSERT_EQ(Api().RegOpenKeyA(kUser, kPath, key), 0);
    std::uint32_t type = 77;
    std::uint32_t size = 99;
    EXPECT_NE(Api().RegQueryValueExA(key, "absent", 0, type, nullptr, size), 0);
    EXPECT_NE(Api().RegQueryValueExA(0, "absent", 0, type, nullptr, size), 0);
    EXPECT_EQ(type, 77u);
    EXPECT_EQ(size, 99u);
    EXPECT_EQ(Api().RegCloseKey(key), 0);
}

TEST_P(RegistryBehaviour, CloseOfHandleZeroFails) {
    EXPECT_NE(Api().RegCloseKey(0), 0);
}

TEST_P(RegistryBehaviour, SetOnHandleZeroFails) {
    const std::uint8_t data[] = {'a', 0};
    EXPECT_NE(Api().RegSetValueExA(0, "v", 0, reg_type::kSz, data, 2), 0);
}

TEST_P(RegistryBehaviour, QueryWithTooSmallABufferFailsAndTellsTheSizeNeeded) {
    ASSERT_EQ(SeedValue(Api(), kUser, kPath, "v", reg_type::kSz, std::string("abcdef\0", 7)), 0);
    RegKey key = 0;
    ASSERT_EQ(Api().RegOpenKeyA(kUser, kPath, key), 0);
    std::uint8_t buffer[3] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(Api().RegQueryValueExA(key, "v", 0, type, buffer, size), win32_error::kMoreData);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(Api().RegCloseKey(key), 0);
}

// How a REG_SZ set with `count` bytes of `bytes` (the byte past the count
// belonging to the buffer) is stored.
struct SetShape {
    const char* name;
    std::string buffer;
    std::uint32_t count;
    std::string stored;
};

class RegistrySetShapes : public testing::TestWithParam<std::tuple<Backend, SetShape>> {};

TEST_P(RegistrySetShapes, StoresTheCountedBytesAndAForgottenTerminator) {
    const auto& [backend, shape] = GetParam();
    auto registry = backend.make();
    ASSERT_TRUE(registry->Ready());
    RegistryApi& api = registry->Get().api;
    RegKey key = 0;
    ASSERT_EQ(api.RegCreateKeyA(kUser, kPath, key), 0);
    EXPECT_EQ(
        api.RegSetValueExA(key, "v", 0, reg_type::kSz,
                           reinterpret_cast<const std::uint8_t*>(shape.buffer.data()), shape.count),
        0);
    EXPECT_EQ(api.RegCloseKey(key), 0);
    EXPECT_EQ(ReadRawValue(api, kUser, kPath, "v"), (RawValue{reg_type::kSz, shape.stored}));
}

const SetShape kSetShapes[] = {
    {"WithTerminator", std::string("abc\0", 4), 4, std::string("abc\0", 4)},
    {"TerminatorLeftOutOfTheCount", std::string("abc\0", 4), 3, std::string("abc\0", 4)},
    {"NoTerminator", "abcZ", 3, "abc"},
    {"OnlyTerminator", std::string("\0", 1), 1, std::string("\0", 1)},
    {"ZeroBytes", "Z", 0, ""},
    {"EmbeddedNul", std::string("abc\0def\0", 8), 8, std::string("abc\0def\0", 8)},
};

INSTANTIATE_TEST_SUITE_P(Backends, RegistryBehaviour, testing::ValuesIn(AllBackends()),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, RegistrySetShapes,
                         testing::Combine(testing::ValuesIn(AllBackends()),
                                          testing::ValuesIn(kSetShapes)),
                         BackendShapeName<SetShape>);

}  // namespace
