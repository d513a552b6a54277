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

ReadResult ReadString(Registry registry, RegRoot root, std::wstring_view keyPath,
                      std::wstring_view valueName, std::wstring_view defaultText) {
    const auto otherwise = [&](ReadOutcome outcome, Win32Error error = win32_error::kSuccess) {
        return ReadResult{outcome, std::wstring(defaultText), error};
    };
    // A missing key or value is no failure: there is nothing to read.
    const auto failed = [&](Win32Error error) {
        return otherwise(
            error == win32_error::kFileNotFound ? ReadOutcome::kAbsent : ReadOutcome::kFailed,
            error);
    };
    const auto path = registry.ansi.ToAnsi(keyPath);
    const auto name = registry.ansi.ToAnsi(valueName);
    if (!path || !name) {
        return otherwise(ReadOutcome::kFailed, win32_error::kNoUnicodeTranslation);
    }

    ScopedKey key(registry.api);
    if (const Win32Error error = registry.api.RegOpenKeyA(root, path->c_str(), key.Out());
        error != win32_error::kSuccess) {
        return failed(error);
    }

    std::uint32_t type = reg_type::kNone;
    std::uint32_t size = 0;
    if (const Win32Error error =
            registry.api.RegQueryValueExA(key.Get(), name->c_str(), 0, type, nullptr, size);
        error != win32_error::kSuccess) {
        return failed(error);
    }
    if (type != reg_type::kSz) {
        return otherwise(ReadOutcome::kOtherType);
    }
    if (size == 0) {
        return {ReadOutcome::kRead, std::wstring(), win32_error::kSuccess};
    }

    // The second query reports how many bytes it really copied: the first
    // count may be an upper bound, and the value may have shrunk in between.
    // It may also be too small: Windows reports a string's UTF-16 size,
    // which its UTF-8 code page can exceed (Wine reports the exact size, so
    // only the in-memory registry takes this path in tests). A query that
    // says so is tried again, a few times, with the size it tells or, when
    // it tells none larger, twice the size.
    constexpr int kQueries = 4;
    std::vector<std::uint8_t> buffer;
    ReadOutcome outcome = ReadOutcome::kRead;
    for (int query = 1;; ++query) {
        buffer.resize(size);
        std::uint32_t scratchType = reg_type::kNone;
        std::uint32_t copied = size;
        const Win32Error error = registry.api.RegQueryValueExA(key.Get(), name->c_str(), 0,
                                                               scratchType, buffer.data(), copied);
        if (error == win32_error::kSuccess || error == win32_error::kNoUnicodeTranslation) {
            size = std::min<std::uint32_t>(copied, size);
            if (error == win32_error::kNoUnicodeTranslation) {
                outcome = ReadOutcome::kLossy;
            }
            break;
        }
        if (error != win32_error::kMoreData || query == kQueries ||
            size > std::numeric_limits<std::uint32_t>::max() / 2) {
            return failed(error);
        }
        size = std::max(copied, 2 * size);
    }

    auto text = registry.ansi.FromAnsi(
        std::string_view(reinterpret_cast<const char*>(buffer.data()), size));
    if (!text) {
        return otherwise(ReadOutcome::kFailed, win32_error::kNoUnicodeTranslation);
    }
    return {outcome, UpToFirstNul(std::move(*text)), win32_error::kSuccess};
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

ReadResult ReadRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                         std::wstring_view valueName, std::wstring_view defaultText) noexcept {
    try {
        return ReadString(registry, root, keyPath, valueName, defaultText);
    } catch (...) {
        // Out of memory: the default may still fit where the value did not.
    }
    ReadResult result{ReadOutcome::kNoMemory, {}, win32_error::kOutOfMemory};
    try {
        result.text = defaultText;
    } catch (...) {
        // Not even the default fits: an empty text is all there is to give.
    }
    return result;
}

std::wstring GetRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                          std::wstring_view valueName, std::wstring_view defaultText) noexcept {
    return ReadRegString(registry, root, keyPath, valueName, defaultText).text;
}

SaveResult SaveRegString(Registry registry, RegRoot root, std::wstring_view keyPath,
                         std::wstring_view valueName, std::wstring_view text) noexcept {
    try {
        return WriteString(registry, root, keyPath, valueName, text);
    } catch (...) {
        // Only allocation can throw here.
        return {SaveOutcome::kNoMemory, win32_error::kOutOfMemory};
    }
}
