#include "common/win_texts.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "common/win_handles.h"

// The program names these codes without the SDK's headers.
static_assert(win32_error::kSuccess == ERROR_SUCCESS);
static_assert(win32_error::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(win32_error::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(win32_error::kInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(win32_error::kOutOfMemory == ERROR_OUTOFMEMORY);
static_assert(win32_error::kInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(win32_error::kMoreData == ERROR_MORE_DATA);
static_assert(win32_error::kChildMustBeVolatile == ERROR_CHILD_MUST_BE_VOLATILE);
static_assert(win32_error::kNoUnicodeTranslation == ERROR_NO_UNICODE_TRANSLATION);
static_assert(win32_error::kInternalError == ERROR_INTERNAL_ERROR);
static_assert(sizeof(Win32Error) == sizeof(DWORD) && static_cast<Win32Error>(-1) > 0);

std::wstring WinTexts::SystemErrorText(Win32Error code) const {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory owned(buffer);
    if (length == 0) {
        return L"Error " + std::to_wstring(code) + L".";
    }
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
        text.pop_back();
    }
    return text;
}

namespace {

// Text `id` of the string table tagged `language` exactly, or nullopt: a
// table's block holds 16 texts, each counted, for ids block * 16 - 16 on.
std::optional<std::wstring> TextOfTable(HMODULE module, unsigned id, LANGID language) {
    const HRSRC found = FindResourceExW(module, RT_STRING,
                                        MAKEINTRESOURCEW(static_cast<WORD>(id / 16 + 1)), language);
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* text =
        loaded != nullptr ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (text == nullptr) {
        return std::nullopt;
    }
    const wchar_t* const end = text + SizeofResource(module, found) / sizeof(wchar_t);
    for (unsigned index = 0; index < id % 16 && text < end; ++index) {
        text += 1 + *text;
    }
    if (text >= end || text + 1 + *text > end) {
        return std::nullopt;
    }
    return std::wstring(text + 1, *text);
}

}  // namespace

std::wstring WinTexts::Text(unsigned id) const {
    const HMODULE self = GetModuleHandleW(nullptr);
    if (language_ == 0) {
        // With no buffer, LoadString gives the resource's own text in place:
        // counted, not terminated.
        const wchar_t* text = nullptr;
        const int length = LoadStringW(self, id, reinterpret_cast<wchar_t*>(&text), 0);
        return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                             : std::wstring();
    }
    // The resource loader's order for a language it is given.
    for (const LANGID language :
         {static_cast<LANGID>(language_),
          static_cast<LANGID>(MAKELANGID(PRIMARYLANGID(language_), SUBLANG_NEUTRAL)),
          static_cast<LANGID>(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))}) {
        if (auto text = TextOfTable(self, id, language)) {
            return *std::move(text);
        }
    }
    return {};
}
