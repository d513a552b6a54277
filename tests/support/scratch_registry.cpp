#include "support/scratch_registry.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "support/test_handles.h"
#include "support/win_keys.h"

namespace {

// Keys older than this were left by a run that crashed.
constexpr wchar_t kRunPrefix[] = L"run-";
constexpr ULONGLONG kStaleAfter100ns = 24ULL * 60 * 60 * 10'000'000;

ULONGLONG ToUlong(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void SweepStaleKeys() {
    const UniqueKey parent =
        OpenKey(HKEY_CURRENT_USER, ScratchRegistryRoots::kParentPath, KEY_READ | KEY_WRITE);
    if (!parent) {
        return;
    }
    FILETIME nowTime{};
    GetSystemTimeAsFileTime(&nowTime);
    const ULONGLONG now = ToUlong(nowTime);
    std::vector<std::wstring> stale;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        FILETIME written{};
        if (RegEnumKeyExW(parent.get(), index, name, &length, nullptr, nullptr, nullptr,
                          &written) != ERROR_SUCCESS) {
            break;
        }
        // Only this class's own keys: the end-to-end suites keep a
        // journal beside them.
        if (length >= 4 && CompareStringOrdinal(name, 4, kRunPrefix, 4, TRUE) == CSTR_EQUAL &&
            now - ToUlong(written) > kStaleAfter100ns) {
            stale.emplace_back(name, length);
        }
    }
    for (const std::wstring& name : stale) {
        RegDeleteTreeW(parent.get(), name.c_str());
        RegDeleteKeyW(parent.get(), name.c_str());
    }
}

bool CreateAndOverride(HKEY root, const std::wstring& path) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey key(created);
    return RegOverridePredefKey(root, key.get()) == ERROR_SUCCESS;
}

}  // namespace

ScratchRegistryRoots::ScratchRegistryRoots() {
    static std::atomic<unsigned> counter{0};
    SweepStaleKeys();
    path_ = std::wstring(kParentPath) + L"\\" + kRunPrefix +
            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
            L"-" + std::to_wstring(++counter);
    // Both scratch roots are made before either override takes effect.
    const std::wstring user = path_ + L"\\HKCU";
    const std::wstring machine = path_ + L"\\HKLM";
    active_ = CreateAndOverride(HKEY_LOCAL_MACHINE, machine) &&
              CreateAndOverride(HKEY_CURRENT_USER, user);
}

ScratchRegistryRoots::~ScratchRegistryRoots() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}
