#include "e2e/title_values.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include "e2e/program_driver.h"
#include "support/test_handles.h"
#include "support/win_keys.h"

namespace {

constexpr wchar_t kBrowserKey[] = L"Software\\Microsoft\\Internet Explorer";

// The key's DACL, or nothing when it cannot be read.
std::vector<BYTE> Dacl(HKEY key) {
    DWORD size = 0;
    std::vector<BYTE> dacl;
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size) ==
        ERROR_INSUFFICIENT_BUFFER) {
        dacl.resize(size);
        if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, dacl.data(), &size) !=
            ERROR_SUCCESS) {
            dacl.clear();
        }
    }
    return dacl;
}

// What the suites change of the machine they run on, saved as they start
// and put back as they end, pass or fail: the user's whole browser key
// (copied under the tests' own key), and the machine-wide title, its key and
// the key's DACL. A self-hosted runner keeps its own settings.
class SavedBrowserSettings final : public testing::Environment {
public:
    void SetUp() override {
        active_ = MayWriteRealRegistry();
        if (!active_) {
            return;
        }
        copy_ = L"Software\\TitlebarTests\\Saved-" + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, copy_.c_str());
        if (const UniqueKey user = OpenKey(HKEY_CURRENT_USER, kBrowserKey)) {
            userSaved_ = CopyTree(user.get(), copy_);
            ASSERT_TRUE(userSaved_) << "the user's browser key could not be saved";
        }
        if (const UniqueKey machine = OpenKey(HKEY_LOCAL_MACHINE, kKey, READ_CONTROL)) {
            machineKeyExisted_ = true;
            machineDacl_ = Dacl(machine.get());
        }
        machineTitle_ = ReadTitle(HKEY_LOCAL_MACHINE);
    }

    void TearDown() override {
        if (!active_) {
            return;
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kBrowserKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kBrowserKey);
        if (userSaved_) {
            const UniqueKey copy = OpenKey(HKEY_CURRENT_USER, copy_);
            EXPECT_TRUE(copy && CopyTree(copy.get(), kBrowserKey))
                << "the user's browser key could not be put back from HKCU\\"
                << testing::PrintToString(copy_);
            RegDeleteTreeW(HKEY_CURRENT_USER, copy_.c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, copy_.c_str());
        }
        if (!machineKeyExisted_) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
            return;
        }
        if (const UniqueKey machine = OpenKey(HKEY_LOCAL_MACHINE, kKey, WRITE_DAC);
            machine && !machineDacl_.empty()) {
            RegSetKeySecurity(machine.get(), DACL_SECURITY_INFORMATION, machineDacl_.data());
        }
        if (machineTitle_) {
            SeedTitle(HKEY_LOCAL_MACHINE, machineTitle_->type, machineTitle_->text);
        } else {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        }
    }

private:
    static bool CopyTree(HKEY from, const std::wstring& to) {
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueKey target(created);
        return RegCopyTreeW(from, nullptr, target.get()) == ERROR_SUCCESS;
    }

    bool active_ = false;
    std::wstring copy_;
    bool userSaved_ = false;
    bool machineKeyExisted_ = false;
    std::vector<BYTE> machineDacl_;
    std::optional<Stored> machineTitle_;
};

[[maybe_unused]] testing::Environment* const kSaved =
    testing::AddGlobalTestEnvironment(new SavedBrowserSettings);

}  // namespace

void PrintTo(const Stored& stored, std::ostream* out) {
    *out << "type " << stored.type << ", " << stored.text.size() << " chars";
}

std::optional<Stored> ReadTitle(HKEY root) {
    const UniqueKey key = OpenKey(root, kKey);
    if (!key) {
        return std::nullopt;
    }
    std::optional<Stored> stored;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), kValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::wstring text(size / sizeof(wchar_t), L'\0');
        if (RegQueryValueExW(key.get(), kValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
            text.resize(size / sizeof(wchar_t));
            stored = Stored{type, text};
        }
    }
    return stored;
}

void SeedTitle(HKEY root, DWORD type, std::wstring text) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const UniqueKey key(created);
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    text += L'Z';
    EXPECT_EQ(RegSetValueExW(key.get(), kValue, 0, type, reinterpret_cast<const BYTE*>(text.data()),
                             bytes),
              ERROR_SUCCESS);
}

void ClearTitles() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
}

namespace {

bool SetDacl(HKEY root, PSECURITY_DESCRIPTOR descriptor) {
    const UniqueKey key = OpenKey(root, kKey, READ_CONTROL | WRITE_DAC);
    return key &&
           RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
}

}  // namespace

UnreadableTitle::UnreadableTitle(HKEY root) : root_(root) {
    const UniqueKey key = OpenKey(root, kKey, READ_CONTROL);
    DWORD size = 0;
    if (!key || RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size) !=
                    ERROR_INSUFFICIENT_BUFFER) {
        return;
    }
    saved_.resize(size);
    PSECURITY_DESCRIPTOR denying = nullptr;
    if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) !=
            ERROR_SUCCESS ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;RCWD;;;WD)", SDDL_REVISION_1,
                                                              &denying, nullptr)) {
        return;
    }
    const UniqueLocalMemory owned(denying);
    active_ = SetDacl(root, denying);
}

UnreadableTitle::~UnreadableTitle() {
    if (active_) {
        SetDacl(root_, saved_.data());
    }
}

UnwritableUserTitle::UnwritableUserTitle() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBrowserKey);
    HKEY key = nullptr;
    active_ = RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
    const UniqueKey owned(active_ ? key : nullptr);
}

UnwritableUserTitle::~UnwritableUserTitle() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBrowserKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kBrowserKey);
}
