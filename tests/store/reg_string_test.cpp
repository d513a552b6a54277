// Reading and writing string values, against every backend; failure paths
// and call sequences against the in-memory registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "store/reg_string.h"
#include "support/registry_backends.h"

namespace {

constexpr RegRoot kUser = RegRoot::kCurrentUser;
constexpr const char* kPath = "Software\\Store\\Main";
constexpr std::wstring_view kWidePath = L"Software\\Store\\Main";
constexpr const char* kName = "Value";
constexpr std::wstring_view kWideName = L"Value";
constexpr std::wstring_view kDefault = L"the default";

std::string Repeat(std::string_view unit, std::size_t times) {
    std::string out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += unit;
    }
    return out;
}

std::wstring Widen(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

using namespace std::string_literals;

// A value as another program may have left it, and what GetRegString makes
// of it. A missing `type` means the value is not there.
struct StoredShape {
    const char* name;
    std::optional<std::uint32_t> type;
    std::string bytes;
    std::wstring expected;
};

const std::string k40000 = Repeat("title-", 6667).substr(0, 40000);
const std::string kMegabyte = Repeat("0123456789abcdef", 65536);

const StoredShape kStoredShapes[] = {
    {"SzWithTerminator", reg_type::kSz, "abc\0"s, L"abc"},
    {"SzWithoutTerminator", reg_type::kSz, "abc", L"abc"},
    {"SzWithEmbeddedNul", reg_type::kSz, "abc\0def\0"s, L"abc"},
    {"SzOnlyTerminator", reg_type::kSz, "\0"s, L""},
    {"SzZeroBytes", reg_type::kSz, "", L""},
    {"SzOfBlanks", reg_type::kSz, "   \0"s, L"   "},
    {"SzWithCodePageCharacters", reg_type::kSz, "Caf\xE9 \x96 \x80\0"s, L"Caf\u00E9 \u2013 \u20AC"},
    {"ExpandSz", reg_type::kExpandSz, "%TEMP%\0"s, std::wstring(kDefault)},
    {"MultiSz", reg_type::kMultiSz, "abc\0def\0\0"s, std::wstring(kDefault)},
    {"Dword", reg_type::kDword, "\x01\x00\x00\x00"s, std::wstring(kDefault)},
    {"BinaryLookingLikeText", reg_type::kBinary, "abc\0"s, std::wstring(kDefault)},
    {"SzOf40000Characters", reg_type::kSz, k40000 + '\0', Widen(k40000)},
    {"SzOf40000CharactersWithoutTerminator", reg_type::kSz, k40000, Widen(k40000)},
    {"SzWithFirstNulBeyond32767", reg_type::kSz, k40000 + "\0tail\0"s, Widen(k40000)},
    {"SzOfAMegabyte", reg_type::kSz, kMegabyte + '\0', Widen(kMegabyte)},
    {"MissingValue", std::nullopt, "", std::wstring(kDefault)},
};

class GetRegStringShapes : public testing::TestWithParam<std::tuple<Backend, StoredShape>> {};

TEST_P(GetRegStringShapes, ReturnsTheTextUpToItsFirstNulOrTheDefault) {
    const auto& [backend, shape] = GetParam();
    auto registry = backend.make();
    ASSERT_TRUE(registry->Ready());
    RegistryApi& api = registry->Get().api;
    if (shape.type) {
        ASSERT_EQ(SeedValue(api, kUser, kPath, kName, *shape.type, shape.bytes), 0);
    } else {
        ASSERT_EQ(SeedKey(api, kUser, kPath), 0);
    }
    EXPECT_EQ(GetRegString(registry->Get(), kUser, kWidePath, kWideName, kDefault), shape.expected);
    if (const MemoryRegistry* memory = registry->Memory()) {
        EXPECT_EQ(memory->OpenHandles(), 0u) << "a key was left open";
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, GetRegStringShapes,
                         testing::Combine(testing::ValuesIn(AllBackends()),
                                          testing::ValuesIn(kStoredShapes)),
                         BackendShapeName<StoredShape>);

class RegString : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        registry_ = GetParam().make();
        ASSERT_TRUE(registry_->Ready());
    }
    Registry Reg() { return registry_->Get(); }
    std::optional<RawValue> Stored(const char* path = kPath) {
        return ReadRawValue(Reg().api, kUser, path, kName);
    }

    std::unique_ptr<TestRegistry> registry_;
};

TEST_P(RegString, MissingKeyGivesTheDefaultAndANullDefaultGivesEmpty) {
    EXPECT_EQ(GetRegString(Reg(), kUser, kWidePath, kWideName, kDefault), kDefault);
    EXPECT_EQ(GetRegString(Reg(), kUser, kWidePath, kWideName, {}), L"");
}

TEST_P(RegString, ReadsTheRootItWasGiven) {
    ASSERT_EQ(SeedValue(Reg().api, RegRoot::kLocalMachine, kPath, kName, reg_type::kSz, "hklm\0"s),
              0);
    EXPECT_EQ(GetRegString(Reg(), RegRoot::kLocalMachine, kWidePath, kWideName, kDefault), L"hklm");
    EXPECT_EQ(GetRegString(Reg(), kUser, kWidePath, kWideName, kDefault), kDefault);
}

TEST_P(RegString, SaveStoresTheTextWithOneTerminatingNul) {
    EXPECT_TRUE(SaveRegString(Reg(), kUser, kWidePath, kWideName, L"Caf\u00E9").Saved());
    EXPECT_EQ(Stored(), (RawValue{reg_type::kSz, "Caf\xE9\0"s}));
}

TEST_P(RegString, SaveOfEmptyTextStoresOnlyTheTerminator) {
    EXPECT_TRUE(SaveRegString(Reg(), kUser, kWidePath, kWideName, L"").Saved());
    EXPECT_EQ(Stored(), (RawValue{reg_type::kSz, "\0"s}));
    EXPECT_EQ(GetRegString(Reg(), kUser, kWidePath, kWideName, kDefault), L"");
}

TEST_P(RegString, SaveCreatesEveryMissingLevel) {
    EXPECT_TRUE(
        SaveRegString(Reg(), kUser, L"Software\\Deep\\Er\\Still\\Key", kWideName, L"x").Saved());
    EXPECT_EQ(Stored("Software\\Deep\\Er\\Still\\Key"), (RawValue{reg_type::kSz, "x\0"s}));
}

TEST_P(RegString, SaveReplacesAValueOfAnotherType) {
    ASSERT_EQ(SeedValue(Reg().api, kUser, kPath, kName, reg_type::kDword, "\x01\0\0\0"s), 0);
    EXPECT_TRUE(SaveRegString(Reg(), kUser, kWidePath, kWideName, L"now text").Saved());
    EXPECT_EQ(Stored(), (RawValue{reg_type::kSz, "now text\0"s}));
}

TEST_P(RegString, RoundTripsEveryTextTheCodePageCarries) {
    std::wstring all1252;
    for (wchar_t c = 1; c < 0x80; ++c) {
        all1252 += c;
    }
    all1252 += L"\u20AC\u201A\u0192\u2026\u00A0\u00FF \u00E9\u00C9";
    const std::wstring texts[] = {L" ",          L"  two blanks  ", all1252,
                                  Widen(k40000), Widen(kMegabyte),  L"'quoted' \"title\""};
    for (const std::wstring& text : texts) {
        EXPECT_TRUE(SaveRegString(Reg(), kUser, kWidePath, kWideName, text).Saved());
        EXPECT_EQ(GetRegString(Reg(), kUser, kWidePath, kWideName, kDefault), text)
            << "length " << text.size();
    }
}

// Text the ANSI code page cannot carry, or that a NUL would cut short, is
// refused, and the stored value stays as it was.
TEST_P(RegString, RefusesTextThatWouldNotComeBackUnchanged) {
    ASSERT_TRUE(SaveRegString(Reg(), kUser, kWidePath, kWideName, L"before").Saved());
    const std::wstring lossy[] = {L"\u03A9mega", L"\u4E2D\u6587", L"a\u2192b", L"ab\0cd"s};
    for (const std::wstring& text : lossy) {
        EXPECT_EQ(SaveRegString(Reg(), kUser, kWidePath, kWideName, text),
                  (SaveResult{SaveOutcome::kTextNotStorable, 0}));
        EXPECT_EQ(Stored(), (RawValue{reg_type::kSz, "before\0"s}));
    }
    EXPECT_EQ(SaveRegString(Reg(), kUser, L"Software\\\u03A9", kWideName, L"x").outcome,
              SaveOutcome::kTextNotStorable);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegString, testing::ValuesIn(AllBackends()), BackendName);

// How each kind of stored value reads, and why; the same on every backend.
struct ReadCase {
    const char* name;
    void (*setUp)(TestRegistry& registry);
    ReadResult expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

void SeedSz(TestRegistry& registry) {
    ASSERT_EQ(SeedValue(registry.Get().api, kUser, kPath, kName, reg_type::kSz, "abc\0"s), 0u);
}

const ReadCase kReadCases[] = {
    {"Read", SeedSz, {ReadOutcome::kRead, L"abc", 0}},
    {"AbsentKey", [](TestRegistry&) {}, {ReadOutcome::kAbsent, std::wstring(kDefault), 2}},
    {"AbsentValue",
     [](TestRegistry& registry) { ASSERT_EQ(SeedKey(registry.Get().api, kUser, kPath), 0u); },
     {ReadOutcome::kAbsent, std::wstring(kDefault), 0}},
    {"OtherType",
     [](TestRegistry& registry) {
         ASSERT_EQ(
             SeedValue(registry.Get().api, kUser, kPath, kName, reg_type::kExpandSz, "abc\0"s), 0u);
     },
     {ReadOutcome::kOtherType, std::wstring(kDefault), 0}},
    {"ReadsDenied",
     [](TestRegistry& registry) {
         SeedSz(registry);
         registry.DenyReads(kUser, kPath);
     },
     {ReadOutcome::kFailed, std::wstring(kDefault), win32_error::kAccessDenied}},
    {"CharactersLost",
     [](TestRegistry& registry) { registry.StoreLossyTitle(kUser, kPath, kName); },
     {ReadOutcome::kLossy, Widen(kLossyCopy), 0}},
};

class ReadRegStringOutcomes : public testing::TestWithParam<std::tuple<Backend, ReadCase>> {};

TEST_P(ReadRegStringOutcomes, SayWhyTheTextIsWhatItIs) {
    const auto& [backend, read] = GetParam();
    auto registry = backend.make();
    ASSERT_TRUE(registry->Ready());
    ASSERT_NO_FATAL_FAILURE(read.setUp(*registry));
    ReadResult result = ReadRegString(registry->Get(), kUser, kWidePath, kWideName, kDefault);
    // Why a key is absent is the system's to say; that it is, is the rule.
    if (read.expected.outcome == ReadOutcome::kAbsent) {
        result.error = read.expected.error;
    }
    EXPECT_EQ(result, read.expected);
    EXPECT_EQ(GetRegString(registry->Get(), kUser, kWidePath, kWideName, kDefault),
              read.expected.text);
}

INSTANTIATE_TEST_SUITE_P(Backends, ReadRegStringOutcomes,
                         testing::Combine(testing::ValuesIn(AllBackends()),
                                          testing::ValuesIn(kReadCases)),
                         BackendShapeName<ReadCase>);

// Failure paths, with the calls they make, in the in-memory registry.
struct ReadFailure {
    const char* name;
    RegOp op;
    int occurrence;
    std::vector<RegOp> calls;
};

const ReadFailure kReadFailures[] = {
    {"Open", RegOp::kOpen, 1, {RegOp::kOpen}},
    {"SizeQuery", RegOp::kQuery, 1, {RegOp::kOpen, RegOp::kQuery, RegOp::kClose}},
    {"DataQuery", RegOp::kQuery, 2, {RegOp::kOpen, RegOp::kQuery, RegOp::kQuery, RegOp::kClose}},
    {"Close", RegOp::kClose, 1, {RegOp::kOpen, RegOp::kQuery, RegOp::kQuery, RegOp::kClose}},
};

class GetRegStringFailure : public testing::TestWithParam<ReadFailure> {};

TEST_P(GetRegStringFailure, GivesTheDefaultAndClosesWhatItOpened) {
    MemoryRegistry api;
    Cp1252Codec codec;
    ASSERT_EQ(SeedValue(api, kUser, kPath, kName, reg_type::kSz, "stored\0"s), 0);
    const std::size_t seedCalls = api.Calls().size();
    api.Fail(GetParam().op, win32_error::kAccessDenied, GetParam().occurrence);

    const std::wstring expected(GetParam().op == RegOp::kClose ? L"stored" : kDefault);
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), expected);
    const auto ops = api.CallOps();
    EXPECT_EQ(std::vector<RegOp>(ops.begin() + static_cast<std::ptrdiff_t>(seedCalls), ops.end()),
              GetParam().calls);
    if (GetParam().op != RegOp::kClose) {
        EXPECT_EQ(api.OpenHandles(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Memory, GetRegStringFailure, testing::ValuesIn(kReadFailures),
                         CaseName<ReadFailure>);

TEST(GetRegStringCalls, AReadOfAnExistingValueMakesFourCalls) {
    MemoryRegistry api;
    Cp1252Codec codec;
    ASSERT_EQ(SeedValue(api, kUser, kPath, kName, reg_type::kSz, "stored\0"s), 0);
    const std::size_t seedCalls = api.Calls().size();
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), L"stored");
    EXPECT_EQ(api.Calls().size() - seedCalls, 4u);
    EXPECT_EQ(api.OpenHandles(), 0u);
}

struct WriteFailure {
    const char* name;
    RegOp op;
    std::vector<RegOp> calls;
};

const WriteFailure kWriteFailures[] = {
    {"Create", RegOp::kCreate, {RegOp::kCreate}},
    {"Set", RegOp::kSet, {RegOp::kCreate, RegOp::kSet, RegOp::kClose}},
};

class SaveRegStringFailure : public testing::TestWithParam<WriteFailure> {};

TEST_P(SaveRegStringFailure, ReportsTheRegistryErrorAndClosesWhatItOpened) {
    MemoryRegistry api;
    Cp1252Codec codec;
    api.Fail(GetParam().op, win32_error::kChildMustBeVolatile);
    EXPECT_EQ(SaveRegString({api, codec}, kUser, kWidePath, kWideName, L"text"),
              (SaveResult{SaveOutcome::kRegistryError, win32_error::kChildMustBeVolatile}));
    EXPECT_EQ(api.CallOps(), GetParam().calls);
    EXPECT_EQ(api.OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Memory, SaveRegStringFailure, testing::ValuesIn(kWriteFailures),
                         CaseName<WriteFailure>);

TEST(SaveRegStringCalls, AWriteMakesThreeCallsAndAFailedCloseIsNoFailedWrite) {
    MemoryRegistry api;
    Cp1252Codec codec;
    api.Fail(RegOp::kClose, win32_error::kInvalidHandle);
    EXPECT_TRUE(SaveRegString({api, codec}, kUser, kWidePath, kWideName, L"text").Saved());
    EXPECT_EQ(api.CallOps(), (std::vector<RegOp>{RegOp::kCreate, RegOp::kSet, RegOp::kClose}));
}

// One REG_SZ value whose first query reports `firstCount` bytes and whose
// data queries answer as `answer` says.
class ScriptedRegistry final : public RegistryApi {
public:
    using Answer = std::function<Win32Error(std::uint8_t* data, std::uint32_t& byteCount)>;
    ScriptedRegistry(std::uint32_t firstCount, Answer answer)
        : firstCount_(firstCount), answer_(std::move(answer)) {}

    Win32Error RegOpenKeyA(RegRoot, const char*, RegKey& key) override {
        key = 1;
        return 0;
    }
    Win32Error RegQueryValueExA(RegKey, const char*, std::uint32_t, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& byteCount) override {
        type = reg_type::kSz;
        if (data == nullptr) {
            byteCount = firstCount_;
            return 0;
        }
        ++dataQueries;
        return answer_(data, byteCount);
    }
    Win32Error RegCreateKeyA(RegRoot, const char*, RegKey&) override { return 5; }
    Win32Error RegSetValueExA(RegKey, const char*, std::uint32_t, std::uint32_t,
                              const std::uint8_t*, std::uint32_t) override {
        return 5;
    }
    Win32Error RegCloseKey(RegKey) override { return 0; }

    int dataQueries = 0;

private:
    std::uint32_t firstCount_;
    Answer answer_;
};

TEST(GetRegStringRace, ReadsOnlyTheBytesTheSecondQueryCopied) {
    // The value shrank to "abc" after the first query; what lies past the
    // copied bytes is whatever the buffer held.
    ScriptedRegistry api(64, [](std::uint8_t* data, std::uint32_t& byteCount) {
        std::fill_n(data, byteCount, 'Z');
        std::copy_n("abc", 3, data);
        byteCount = 3;
        return 0;
    });
    Cp1252Codec codec;
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), L"abc");
}

// Windows' ANSI query without a buffer reports a string's UTF-16 size,
// which UTF-8 exceeds for characters from U+0800 up; the read asks again
// with the size the failed query needs.
TEST(GetRegStringSizes, ReadsATitleLongerInUtf8ThanInUtf16) {
    MemoryRegistry api;
    Utf8Codec codec;
    const std::wstring title = L"\u4E2D\u6587\u6807\u9898 \u2014 \u7A97\u53E3";
    ASSERT_TRUE(SaveRegString({api, codec}, kUser, kWidePath, kWideName, title).Saved());
    api.ReportUtf16Sizes(codec);
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), title);
    EXPECT_EQ(api.OpenHandles(), 0u);
}

// Too small, and no larger size told: the buffer grows by itself.
TEST(GetRegStringSizes, GrowsWhenTheQueryTellsNoLargerSize) {
    ScriptedRegistry api(4, [](std::uint8_t* data, std::uint32_t& byteCount) {
        if (byteCount < 11) {
            return win32_error::kMoreData;
        }
        byteCount = static_cast<std::uint32_t>(std::strlen("A long one") + 1);
        std::copy_n("A long one", byteCount, data);
        return win32_error::kSuccess;
    });
    Cp1252Codec codec;
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), L"A long one");
}

TEST(GetRegStringSizes, GivesUpOnAValueThatNeverFits) {
    ScriptedRegistry api(4, [](std::uint8_t*, std::uint32_t& byteCount) {
        byteCount += 1;
        return win32_error::kMoreData;
    });
    Cp1252Codec codec;
    EXPECT_EQ(GetRegString({api, codec}, kUser, kWidePath, kWideName, kDefault), kDefault);
    EXPECT_EQ(api.dataQueries, 4);
}

}  // namespace
