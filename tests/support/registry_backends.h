// The registries that the store's behaviour suite runs against: the
// in-memory one everywhere, and the real one where there is a Windows
// registry, with its roots redirected into a scratch key.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "store/registry_api.h"
#include "support/memory_registry.h"
#include "support/raw_values.h"
#ifdef _WIN32
#include <windows.h>

#include <sddl.h>

#include "store/win_registry.h"
#include "support/scratch_registry.h"
#include "support/test_handles.h"
#include "support/win_keys.h"
#endif

// The text that a code page of the 1252 family cannot carry, as each
// registry stores it, and the copy that its ANSI query then gives.
inline constexpr wchar_t kLossyTitle[] = L"\u65E5\u672C Corp";
inline constexpr char kLossyCopy[] = "?? Corp";

class TestRegistry {
public:
    virtual ~TestRegistry() = default;
    virtual Registry Get() = 0;
    // The in-memory registry, for checks that only it can make.
    virtual MemoryRegistry* Memory() { return nullptr; }
    virtual bool Ready() const { return true; }
    // Makes the values under an existing key unreadable, as a key whose
    // DACL grants no reading does.
    virtual void DenyReads(RegRoot root, const char* keyPath) = 0;
    // Stores kLossyTitle as a REG_SZ value.
    virtual void StoreLossyTitle(RegRoot root, const char* keyPath, const char* valueName) = 0;
};

class MemoryTestRegistry final : public TestRegistry {
public:
    Registry Get() override { return {api_, codec_}; }
    MemoryRegistry* Memory() override { return &api_; }
    void DenyReads(RegRoot root, const char* keyPath) override { api_.DenyReads(root, keyPath); }
    void StoreLossyTitle(RegRoot root, const char* keyPath, const char* valueName) override {
        ASSERT_EQ(SeedValue(api_, root, keyPath, valueName, reg_type::kSz,
                            std::string(kLossyCopy) + '\0'),
                  0u);
        api_.MarkLossy(root, keyPath, valueName);
    }

private:
    MemoryRegistry api_;
    Cp1252Codec codec_;
};

#ifdef _WIN32
class WindowsTestRegistry final : public TestRegistry {
public:
    // The scratch key goes with the roots only once every key may be deleted.
    ~WindowsTestRegistry() override {
        for (const auto& [root, path] : denied_) {
            SetDacl(root, path, L"D:P(A;;KA;;;WD)");
        }
    }
    Registry Get() override { return {api_, codec_}; }
    bool Ready() const override { return roots_.Active(); }
    void DenyReads(RegRoot root, const char* keyPath) override {
        // Everyone may still open the key and change its DACL back.
        ASSERT_TRUE(SetDacl(root, keyPath, L"D:P(A;;RCWD;;;WD)"));
        denied_.emplace_back(root, keyPath);
    }
    void StoreLossyTitle(RegRoot root, const char* keyPath, const char* valueName) override {
        ASSERT_EQ(SeedKey(api_, root, keyPath), 0u);
        const UniqueKey key = OpenKey(Hkey(root), Widen(keyPath), KEY_SET_VALUE);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.get(), Widen(valueName).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(kLossyTitle), sizeof kLossyTitle),
                  ERROR_SUCCESS);
    }

private:
    static HKEY Hkey(RegRoot root) {
        return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    }
    static std::wstring Widen(const std::string& ascii) {
        return std::wstring(ascii.begin(), ascii.end());
    }
    static bool SetDacl(RegRoot root, const std::string& keyPath, const wchar_t* sddl) {
        const UniqueKey key = OpenKey(Hkey(root), Widen(keyPath), WRITE_DAC);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!key || !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                          &descriptor, nullptr)) {
            return false;
        }
        const UniqueLocalMemory owned(descriptor);
        return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    }

    ScratchRegistryRoots roots_;
    std::vector<std::pair<RegRoot, std::string>> denied_;
    WinRegistryApi api_;
    WinAnsiCodec codec_;
};
#endif

struct Backend {
    const char* name;
    std::unique_ptr<TestRegistry> (*make)();
};

inline std::vector<Backend> AllBackends() {
    std::vector<Backend> backends{
        {"Memory", [] { return std::unique_ptr<TestRegistry>(new MemoryTestRegistry); }}};
#ifdef _WIN32
    backends.push_back(
        {"Windows", [] { return std::unique_ptr<TestRegistry>(new WindowsTestRegistry); }});
#endif
    return backends;
}

inline std::string BackendName(const testing::TestParamInfo<Backend>& param) {
    return param.param.name;
}

// Test names for cases that pair a backend with a named shape.
template <class Shape>
std::string BackendShapeName(const testing::TestParamInfo<std::tuple<Backend, Shape>>& param) {
    return std::string(std::get<0>(param.param).name) + "_" + std::get<1>(param.param).name;
}

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& param) {
    return param.param.name;
}
