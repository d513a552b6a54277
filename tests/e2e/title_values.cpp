#include "e2e/title_values.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include "support/test_handles.h"
#include "support/win_keys.h"

namespace {

constexpr wchar_t kBrowserKey[] = L"Software\\Microsoft\\Internet Explorer";

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
