#include "store/reg_string.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Owns a key handle for the length of one routine.
class ScopedKey {
public:
    explicit ScopedKey(RegistryApi& api) : api_(api) {}
    ~ScopedKey() {
        if (key_ != 0) {
            // A key that will not close is no failure of the read or write.
            static_cast<void>(api_.RegCloseKey(key_));
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    RegKey& Out() { return key_; }
    RegKey Get() const { return key_; }

private:
    RegistryApi& api_;
    RegKey key_ = 0;
};

std::wstring UpToFirstNul(std::wstring text) {
    text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
    return text;
}

std::wstring ReadString(Registry registry, RegRoot root, std::wstring_view keyPath,
                        std::wstring_view valueName, std::wstring_view defaultText) {
    const auto path = registry.ansi.ToAnsi(keyPath);
    const auto name = registry.ansi.ToAnsi(valueName);
    if (!path || !name) {
        return std::wstring(defaultText);
    }

    ScopedKey key(registry.api);
    if (registry.api.RegOpenKeyA(root, path->c_str(), key.Out()) != win32_error::kSuccess) {
        return std::wstring(defaultText);
    }

    std::uint32_t type = reg_type::kNone;
    std::uint32_t size = 0;
    if (registry.api.RegQueryValueExA(key.Get(), name->c_str(), 0, type, nullptr, size) !=
            win32_error::kSuccess ||
        type != reg_type::kSz) {
        return std::wstring(defaultText);
    }
    if (size == 0) {
        return std::wstring();
    }

    // The second query reports how many bytes it really copied: the first
    // count may be an upper bound, and the value may have shrunk in between.
    // It may also be too small: Windows reports a string's UTF-16 size,
    // which its UTF-8 code page can exceed (Wine reports the exact size, so
    // only the in-memory registry takes this path in tests). A query that
    // says so tells the size it needs, and is tried again, a few times.
    constexpr int kQueries = 4;
    std::vector<std::uint8_t> buffer;
    for (int query = 1;; ++query) {
        buffer.resize(size);
        std::uint32_t scratchType = reg_type::kNone;
        std::uint32_t copied = size;
        const Win32Error status = registry.api.RegQueryValueExA(key.Get(), name->c_str(), 0,
                                                                scratchType, buffer.data(), copied);
        if (status == win32_error::kSuccess) {
            size = std::min<std::uint32_t>(copied, size);
            break;
        }
        if (status != win32_error::kMoreData || copied <= size || query == kQueries) {
            return std::wstring(defaultText);
        }
        size = copied;
    }

    auto text = registry.ansi.FromAnsi(
        std::string_view(reinterpret_cast<const char*>(buffer.data()), size));
    if (!text) {
        return std::wstring(defaultText);
    }
    return UpToFirstNul(std::move(*text));
}

SaveResult WriteString(Registry registry, RegRoot root, std::wstring_view keyPath,
                       std::wstring_view valueName, std::wstring_view text) {
    // Each text must come back unchanged from ANSI: Windows replaces the
    // characters its code page lacks by best fit without saying so.
    const auto toAnsiLosslessly = [&](std::wstring_view wide) -> std::optional<std::string> {
        auto ansi = registry.ansi.ToAnsi(wide);
        if (!ansi) {
            return std::nullopt;
        }
        const auto back = registry.ansi.FromAnsi(*ansi);
        if (!back || *back != wide) {
            return std::nullopt;
        }
        return ansi;
    };
    const auto path = toAnsiLosslessly(keyPath);
    const auto name = toAnsiLosslessly(valueName);
    // A NUL inside the text would end it for every reader.
    const auto data =
        text.find(L'\0') == std::wstring_view::npos ? toAnsiLosslessly(text) : std::nullopt;
    if (!path || !name || !data || data->size() >= std::numeric_limits<std::uint32_t>::max()) {
        return {SaveOutcome::kTextNotStorable, win32_error::kSuccess};
    }

    ScopedKey key(registry.api);
    if (const Win32Error status = registry.api.RegCreateKeyA(root, path->c_str(), key.Out());
        status != win32_error::kSuccess) {
        return {SaveOutcome::kRegistryError, status};
    }
    // The count takes in the NUL that std::string keeps after its data.
    if (const Win32Error status =
            registry.api.RegSetValueExA(key.Get(), name->c_str(), 0, reg_type::kSz,
                                        reinterpret_cast<const std::uint8_t*>(data->c_str()),
                                        static_cast<std::uint32_t>(data->size() + 1));
        status != win32_error::kSuccess) {
        return {SaveOutcome::kRegistryError, status};
    }
    return {};
}

}  // namespace

std::wstring GetRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                          std::wstring_view valueName, std::wstring_view defaultText) noexcept {
    try {
        return ReadString(registry, root, keyPath, valueName, defaultText);
    } catch (...) {
        // Out of memory: the default may still fit where the value did not.
    }
    try {
        return std::wstring(defaultText);
    } catch (...) {
        return std::wstring();
    }
}

SaveResult SaveRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                         std::wstring_view valueName, std::wstring_view text) noexcept {
    try {
        return WriteString(registry, root, keyPath, valueName, text);
    } catch (...) {
        // Only allocation can throw here.
        return {SaveOutcome::kRegistryError, win32_error::kOutOfMemory};
    }
}
