// The built program carries the project's version, read back the way
// Explorer's properties page reads it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/program_driver.h"
#include "support/english_texts.h"

namespace {

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(VersionResource, CarriesTheProjectVersion) {
    const std::wstring program = ProgramPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

    const std::wstring expected = TITLEBAR_VERSION_QUAD;
    EXPECT_EQ(VersionString(info, L"FileVersion"), expected);
    EXPECT_EQ(VersionString(info, L"ProductVersion"), expected);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD high = MAKELONG(TITLEBAR_VERSION_MINOR, TITLEBAR_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, TITLEBAR_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    const std::string quad = Ascii(expected);
    EXPECT_NE(
        ResourceBytes(program, 24, 1).find("name=\"Tavrelin.ietitlebar\" version=\"" + quad + "\""),
        std::string::npos);
}

}  // namespace
