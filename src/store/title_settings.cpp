#include "store/title_settings.h"

std::wstring GetUserTitle(Registry registry) noexcept {
    return GetRegString(registry, RegRoot::kCurrentUser, kTitleKeyPath, kTitleValueName, {});
}

std::wstring GetDefaultTitle(Registry registry) noexcept {
    std::wstring title =
        GetRegString(registry, RegRoot::kLocalMachine, kTitleKeyPath, kTitleValueName, {});
    if (title.empty()) {
        try {
            return std::wstring(kFallbackTitle);
        } catch (...) {
            // Out of memory: an empty title is all there is to give.
        }
    }
    return title;
}

SaveResult SetUserTitle(Registry registry, std::wstring_view title) noexcept {
    return SaveRegString(registry, RegRoot::kCurrentUser, kTitleKeyPath, kTitleValueName, title);
}
