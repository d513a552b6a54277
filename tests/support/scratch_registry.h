// Redirects this process's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE into a
// fresh scratch key, so that tests that write the registry touch nothing of
// the user's or the machine's. Windows only.
#pragma once

#include <string>

class ScratchRegistryRoots {
public:
    ScratchRegistryRoots();
    ~ScratchRegistryRoots();
    ScratchRegistryRoots(const ScratchRegistryRoots&) = delete;
    ScratchRegistryRoots& operator=(const ScratchRegistryRoots&) = delete;

    // Whether both roots are redirected.
    bool Active() const { return active_; }

    // The scratch key's path under the real HKEY_CURRENT_USER.
    const std::wstring& Path() const { return path_; }

    // Where all scratch keys live, under the real HKEY_CURRENT_USER.
    static constexpr wchar_t kParentPath[] = L"Software\\TitlebarTests";

private:
    std::wstring path_;
    bool active_ = false;
};
