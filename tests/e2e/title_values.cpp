#include "e2e/title_values.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <utility>

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

// A key's whole contents, to tell a copy from its original: every key
// below it and every value, by path and name, with its type and bytes.
using KeyContents = std::map<std::pair<std::wstring, std::wstring>, std::vector<BYTE>>;

bool ReadContents(HKEY key, const std::wstring& path, KeyContents& into) {
    into[{path, L"\\"}];  // the key itself, which may hold nothing
    DWORD keys = 0;
    DWORD longestKey = 0;
    DWORD values = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, &longestKey, nullptr, &values,
                         &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(longestName + 1, L'\0');
        auto nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        std::vector<BYTE> data(largestData + sizeof type);
        DWORD size = largestData;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type,
                          data.data() + sizeof type, &size) != ERROR_SUCCESS) {
            return false;
        }
        name.resize(nameLength);
        std::memcpy(data.data(), &type, sizeof type);
        data.resize(sizeof type + size);
        into[{path, name}] = std::move(data);
    }
    for (DWORD i = 0; i < keys; ++i) {
        std::wstring name(longestKey + 1, L'\0');
        auto nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        name.resize(nameLength);
        const UniqueKey child = OpenKey(key, name);
        if (!child || !ReadContents(child.get(), path + L"\\" + name, into)) {
            return false;
        }
    }
    return true;
}

std::optional<KeyContents> ContentsOf(HKEY root, const std::wstring& path) {
    const UniqueKey key = OpenKey(root, path);
    KeyContents contents;
    if (!key || !ReadContents(key.get(), L"", contents)) {
        return std::nullopt;
    }
    return contents;
}

// Makes `to` under HKCU a copy of `from`, and reads it back: true only when
// the copy holds `expected`, key for key and byte for byte.
bool CopyAndVerify(HKEY from, const std::wstring& to, const KeyContents& expected) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey target(created);
    return RegCopyTreeW(from, nullptr, target.get()) == ERROR_SUCCESS &&
           ContentsOf(HKEY_CURRENT_USER, to) == expected;
}

void DeleteKey(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

constexpr wchar_t kCopies[] = L"Software\\TitlebarTests";
constexpr wchar_t kCopyPrefix[] = L"Saved-";

bool ProcessAlive(DWORD id) {
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool settingsSaved = false;

// What the suites change of the machine they run on, saved as they start
// and put back as they end, pass or fail: the user's whole browser key
// (copied under the tests' own key, and held in memory to check against),
// and the machine-wide title, its key and the key's DACL. A self-hosted
// runner keeps its own settings. Nothing is deleted that is not saved, and
// a copy goes only once what it holds is back in place.
class SavedBrowserSettings final : public testing::Environment {
public:
    void SetUp() override {
        if (!RealRegistryPermitted()) {
            return;
        }
        SweepEarlierCopies();
        copy_ =
            std::wstring(kCopies) + L"\\" + kCopyPrefix + std::to_wstring(GetCurrentProcessId());
        DeleteKey(HKEY_CURRENT_USER, copy_);
        if (const UniqueKey user = OpenKey(HKEY_CURRENT_USER, kBrowserKey)) {
            user_ = ContentsOf(HKEY_CURRENT_USER, kBrowserKey);
            ASSERT_TRUE(user_ && CopyAndVerify(user.get(), copy_, *user_))
                << "the user's browser key could not be saved: no test that writes the registry "
                   "runs";
        }
        if (const UniqueKey machine = OpenKey(HKEY_LOCAL_MACHINE, kKey, READ_CONTROL)) {
            machineKeyExisted_ = true;
            machineDacl_ = Dacl(machine.get());
            ASSERT_FALSE(machineDacl_.empty())
                << "the machine-wide title key's DACL could not be read: no test that writes "
                   "the registry runs";
        }
        machineTitle_ = ReadTitle(HKEY_LOCAL_MACHINE);
        settingsSaved = true;
    }

    void TearDown() override {
        if (!settingsSaved) {
            return;
        }
        settingsSaved = false;
        RestoreUser();
        RestoreMachine();
    }

private:
    void RestoreUser() const {
        DeleteKey(HKEY_CURRENT_USER, kBrowserKey);
        if (!user_) {
            return;
        }
        const UniqueKey copy = OpenKey(HKEY_CURRENT_USER, copy_);
        const bool back = copy && CopyAndVerify(copy.get(), kBrowserKey, *user_);
        EXPECT_TRUE(back) << "the user's browser key could not be put back; its copy stays at "
                          << "HKCU\\" << testing::PrintToString(copy_);
        if (back) {
            DeleteKey(HKEY_CURRENT_USER, copy_);
            RegDeleteKeyW(HKEY_CURRENT_USER, kCopies);  // only if no other copy is there
        }
    }

    void RestoreMachine() {
        if (!machineKeyExisted_) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kKey)) << "the machine-wide title key stays";
            return;
        }
        if (const UniqueKey machine = OpenKey(HKEY_LOCAL_MACHINE, kKey, WRITE_DAC)) {
            RegSetKeySecurity(machine.get(), DACL_SECURITY_INFORMATION, machineDacl_.data());
        }
        if (machineTitle_) {
            SeedTitle(HKEY_LOCAL_MACHINE, machineTitle_->type, machineTitle_->text);
        } else {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
        }
        const UniqueKey machine = OpenKey(HKEY_LOCAL_MACHINE, kKey, READ_CONTROL);
        EXPECT_TRUE(machine && Dacl(machine.get()) == machineDacl_)
            << "the machine-wide title key's DACL is not what it was";
        EXPECT_EQ(ReadTitle(HKEY_LOCAL_MACHINE), machineTitle_)
            << "the machine-wide title is not what it was";
    }

    // Copies an earlier run left, when it ended before putting the user's
    // key back: each is reported, and put back where the live key is gone.
    static void SweepEarlierCopies() {
        const UniqueKey copies = OpenKey(HKEY_CURRENT_USER, kCopies);
        std::vector<std::wstring> names;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(std::size(name));
            if (!copies || RegEnumKeyExW(copies.get(), i, name, &length, nullptr, nullptr, nullptr,
                                         nullptr) != ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        for (const std::wstring& found : names) {
            if (found.rfind(kCopyPrefix, 0) != 0 ||
                ProcessAlive(
                    static_cast<DWORD>(_wtoi(found.c_str() + std::size(kCopyPrefix) - 1)))) {
                continue;
            }
            const std::wstring path = std::wstring(kCopies) + L"\\" + found;
            const std::optional<KeyContents> contents = ContentsOf(HKEY_CURRENT_USER, path);
            if (KeyExists(HKEY_CURRENT_USER, kBrowserKey) || !contents) {
                std::cerr << "An earlier run left a copy of the user's browser key at HKCU\\"
                          << testing::PrintToString(path)
                          << "; the live key is there, so it stays.\n";
                continue;
            }
            const UniqueKey copy = OpenKey(HKEY_CURRENT_USER, path);
            if (copy && CopyAndVerify(copy.get(), kBrowserKey, *contents)) {
                std::cerr << "An earlier run left the user's browser key at HKCU\\"
                          << testing::PrintToString(path) << ": it is put back.\n";
                DeleteKey(HKEY_CURRENT_USER, path);
            } else {
                ADD_FAILURE() << "an earlier run's copy of the user's browser key at HKCU\\"
                              << testing::PrintToString(path) << " could not be put back";
            }
        }
    }

    std::wstring copy_;
    std::optional<KeyContents> user_;  // none: there was no key to save
    bool machineKeyExisted_ = false;
    std::vector<BYTE> machineDacl_;
    std::optional<Stored> machineTitle_;
};

}  // namespace

testing::Environment* NewSavedBrowserSettings() {
    return new SavedBrowserSettings;
}

bool MayWriteRealRegistry() {
    return settingsSaved;
}

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
