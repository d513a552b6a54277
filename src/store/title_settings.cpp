#include "store/title_settings.h"

ReadResult ReadUserTitle(Registry registry) noexcept {
    return ReadRegString(registry, RegRoot::kCurrentUser, kTitleKeyPath, kTitleValueName, {});
}

ReadResult ReadDefaultTitle(Registry registry) noexcept {
    ReadResult read =
        ReadRegString(registry, RegRoot::kLocalMachine, kTitleKeyPath, kTitleValueName, {});
    if (read.text.empty()) {
        try {
            read.text = kFallbackTitle;
        } catch (...) {
            // Out of memory: an empty title is all there is to give.
        }
    }
    return read;
}

std::wstring GetUserTitle(Registry registry) noexcept {
    return ReadUserTitle(registry).text;
}

std::wstring GetDefaultTitle(Registry registry) noexcept {
    return ReadDefaultTitle(registry).text;
}

SaveResult SetUserTitle(Registry registry, std::wstring_view title) noexcept {
    return SaveRegString(registry, RegRoot::kCurrentUser, kTitleKeyPath, kTitleValueName, title);
}
