// Both MSIs, per user and per machine, under Wine's own msiexec: install,
// use, upgrade, refuse a downgrade, and remove without a trace, never
// touching the user's browser title.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "e2e/program_driver.h"
#include "e2e/title_values.h"
#include "support/win_keys.h"

namespace {

using namespace std::string_literals;

constexpr wchar_t kCaption[] = L"Reset Microsoft Internet Explorer Titlebar";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kOwnKey[] = L"Software\\Tavrelin\\ietitlebar";
constexpr DWORD kInstallFailure = 1603;  // ERROR_INSTALL_FAILURE

struct Package {
    std::wstring path;
    std::wstring version;
    std::wstring productCode;
};

// The two installers: per user, without elevation, into the user's profile;
// per machine, elevated, into Program Files for every user.
struct Scope {
    const char* name;
    bool machine;
    const wchar_t* fileSuffix;   // after "-x64" in the package's name
    const wchar_t* displayName;  // in Apps & features
    const wchar_t* shortcut;     // in the Start menu
    const wchar_t* productCode;
    const wchar_t* newerProductCode;
};

const Scope kScopes[] = {
    {"PerUser", false, L"", L"ietitlebar", L"Reset Microsoft Internet Explorer Titlebar",
     TITLEBAR_USER_PRODUCT_CODE, TITLEBAR_USER_NEWER_PRODUCT_CODE},
    {"PerMachine", true, L"-machine", L"ietitlebar (all users)",
     L"Reset Microsoft Internet Explorer Titlebar (all users)", TITLEBAR_MACHINE_PRODUCT_CODE,
     TITLEBAR_MACHINE_NEWER_PRODUCT_CODE},
};

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return std::wstring(value, length < MAX_PATH ? length : 0);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// An installed product's Apps & features entry. Windows keeps a per-user
// product's under HKCU and a per-machine one's under HKLM; Wine 8 keeps
// every product's under HKLM.
struct Entry {
    std::wstring name, publisher, version;
};

// The installer's key for a product: its code "{...}" packed as Windows
// Installer packs it, the first three groups reversed and every byte of the
// last two with its digits swapped.
std::wstring PackedCode(const std::wstring& code) {
    const auto reversed = [](std::wstring text) {
        std::reverse(text.begin(), text.end());
        return text;
    };
    std::wstring packed =
        reversed(code.substr(1, 8)) + reversed(code.substr(10, 4)) + reversed(code.substr(15, 4));
    const std::wstring rest = code.substr(20, 4) + code.substr(25, 12);
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        packed += rest[i + 1];
        packed += rest[i];
    }
    return packed;
}

class Installer : public testing::TestWithParam<Scope> {
protected:
    void SetUp() override {
        if (!UnderWine()) {
            GTEST_SKIP() << "installs for real: run only in Wine's test prefix";
        }
        ASSERT_TRUE(Exists(Release().path)) << "no release: the release fixture makes it";
        ASSERT_TRUE(Exists(Newer().path));
        ClearTitles();
        // A title another program stored without its terminator.
        ASSERT_NO_FATAL_FAILURE(SeedTitle(HKEY_CURRENT_USER, REG_SZ, L"Mine, as I left it"));
        titleBefore_ = ReadTitle(HKEY_CURRENT_USER);
        parentBefore_ = Exists(ParentFolder());
    }
    // TearDown runs after a skip too.
    void TearDown() override {
        if (UnderWine()) {
            ClearTitles();
        }
    }

    const Scope& Kind() const { return GetParam(); }
    Package Release() const {
        return {BuildFolder() + L"release-test\\dist\\ietitlebar-" TITLEBAR_VERSION L"-x64" +
                    Kind().fileSuffix + L".msi",
                TITLEBAR_VERSION, Kind().productCode};
    }
    Package Newer() const {
        return {BuildFolder() + L"upgrade\\ietitlebar-" TITLEBAR_NEWER_VERSION L"-x64" +
                    Kind().fileSuffix + L".msi",
                TITLEBAR_NEWER_VERSION, Kind().newerProductCode};
    }
    // The folder the install folder is made in.
    std::wstring ParentFolder() const {
        return Kind().machine ? Environment(L"ProgramFiles")
                              : Environment(L"LOCALAPPDATA") + L"\\Programs";
    }
    std::wstring InstallFolder() const { return ParentFolder() + L"\\ietitlebar"; }
    std::wstring Shortcut() const {
        // Wine puts a per-machine shortcut in the user's Start menu too.
        const std::wstring menu =
            Kind().machine && !UnderWine() ? Environment(L"ProgramData") : Environment(L"APPDATA");
        return menu + L"\\Microsoft\\Windows\\Start Menu\\Programs\\" + Kind().shortcut + L".lnk";
    }
    HKEY Root() const { return Kind().machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

    std::optional<Entry> AppsEntry(const std::wstring& productCode) const {
        for (HKEY root : {Root(), HKEY_LOCAL_MACHINE}) {
            const std::wstring key = kUninstallKey + productCode;
            if (KeyExists(root, key)) {
                return Entry{ReadString(root, key, L"DisplayName"),
                             ReadString(root, key, L"Publisher"),
                             ReadString(root, key, L"DisplayVersion")};
            }
        }
        return std::nullopt;
    }
    // Every Apps & features entry of this package, by version.
    std::vector<std::wstring> InstalledVersions() const {
        std::vector<std::wstring> versions;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            const UniqueKey uninstall = OpenKey(root, kUninstallKey);
            if (!uninstall) {
                continue;
            }
            wchar_t name[256];
            DWORD length = 256;
            for (DWORD i = 0; RegEnumKeyExW(uninstall.get(), i, name, &length, nullptr, nullptr,
                                            nullptr, nullptr) == ERROR_SUCCESS;
                 ++i, length = 256) {
                const std::wstring key = std::wstring(kUninstallKey) + name;
                if (ReadString(root, key, L"DisplayName") == Kind().displayName) {
                    versions.push_back(ReadString(root, key, L"DisplayVersion"));
                }
            }
        }
        return versions;
    }
    std::wstring ProductIcon(const std::wstring& productCode) const {
        const std::wstring products = Kind().machine
                                          ? L"Software\\Classes\\Installer\\Products\\"
                                          : L"Software\\Microsoft\\Installer\\Products\\";
        return ReadString(Root(), products + PackedCode(productCode), L"ProductIcon");
    }

    // Runs msiexec quietly, as a script or a deployment agent would.
    static DWORD Msiexec(const std::wstring& action, const Package& package) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        RunningProgram msiexec(std::wstring(system) + L"\\msiexec.exe",
                               action + L" \"" + package.path + L"\" /qn");
        if (!msiexec.Started()) {
            return ERROR_FILE_NOT_FOUND;
        }
        return msiexec.WaitForExit(std::chrono::minutes(2)).value_or(WAIT_TIMEOUT);
    }

    void ExpectNoTrace() {
        EXPECT_FALSE(Exists(InstallFolder()));
        EXPECT_EQ(Exists(ParentFolder()), parentBefore_);
        EXPECT_FALSE(Exists(Shortcut()));
        EXPECT_EQ(AppsEntry(Release().productCode), std::nullopt);
        EXPECT_EQ(AppsEntry(Newer().productCode), std::nullopt);
        EXPECT_FALSE(KeyExists(Root(), kOwnKey));
        EXPECT_EQ(ReadTitle(HKEY_CURRENT_USER), titleBefore_);
    }

    std::optional<Stored> titleBefore_;
    bool parentBefore_ = false;
};

TEST_P(Installer, InstallsRunsAndRemovesWithoutATrace) {
    ASSERT_EQ(Msiexec(L"/i", Release()), 0u);
    for (const wchar_t* file :
         {L"ietitlebar.exe", L"LICENSE.txt", L"README.txt", L"THIRD-PARTY-NOTICES.txt"}) {
        EXPECT_TRUE(Exists(InstallFolder() + L"\\" + file)) << file;
    }
    EXPECT_TRUE(Exists(Shortcut()));
    const auto entry = AppsEntry(Release().productCode);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, Kind().displayName);
    EXPECT_EQ(entry->publisher, L"Tavrelin");
    EXPECT_EQ(entry->version, Release().version);
    EXPECT_TRUE(Exists(ProductIcon(Release().productCode)));

    const std::wstring program = InstallFolder() + L"\\ietitlebar.exe";
    {
        RunningProgram window(program);
        const HWND shown = window.WaitForWindow(kCaption);
        ASSERT_NE(shown, nullptr) << "the installed program showed no window";
        PostMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(window.WaitForExit(), std::optional<DWORD>(0));
    }
    {
        Pipe out;
        const Redirect redirect{out.Write(), out.Write()};
        RunningProgram get(program, L"/get", &redirect);
        EXPECT_EQ(get.WaitForExit(), std::optional<DWORD>(0));
        EXPECT_EQ(out.ReadAll(), "Mine, as I left it\r\n");
    }

    ASSERT_EQ(Msiexec(L"/x", Release()), 0u);
    ExpectNoTrace();
}

TEST_P(Installer, UpgradesInPlaceAndRefusesADowngrade) {
    ASSERT_EQ(Msiexec(L"/i", Release()), 0u);
    ASSERT_EQ(Msiexec(L"/i", Newer()), 0u);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{Newer().version});

    EXPECT_EQ(Msiexec(L"/i", Release()), kInstallFailure);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{Newer().version});
    EXPECT_TRUE(Exists(InstallFolder() + L"\\ietitlebar.exe"));

    ASSERT_EQ(Msiexec(L"/x", Newer()), 0u);
    ExpectNoTrace();
}

INSTANTIATE_TEST_SUITE_P(Scopes, Installer, testing::ValuesIn(kScopes),
                         [](const testing::TestParamInfo<Scope>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
