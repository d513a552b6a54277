#include "support/memory_registry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

// Registry names compare without regard to case.
struct CaseLess {
    static unsigned char Fold(char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
    }
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return Fold(x) < Fold(y); });
    }
};

struct Value {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    bool lossy = false;
};

bool IsStringType(std::uint32_t type) {
    return type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
}

std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path ? path : ""; *p != '\0'; ++p) {
        if (*p == '\\') {
            if (!part.empty()) {
                parts.push_back(std::move(part));
            }
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) {
        parts.push_back(std::move(part));
    }
    return parts;
}

// Bytes 0x80 to 0x9F of Windows-1252; the five it leaves undefined map to
// the C1 controls of the same value, as Windows maps them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The bytes a string's text takes in UTF-16.
std::uint32_t Utf16Size(const AnsiCodec& codec, const std::vector<std::uint8_t>& ansi) {
    const auto text =
        codec.FromAnsi(std::string_view(reinterpret_cast<const char*>(ansi.data()), ansi.size()));
    std::uint32_t units = 0;
    for (const wchar_t c : text.value_or(std::wstring())) {
        // Beyond the BMP only where wchar_t holds code points: a UTF-16 pair.
        units += (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2u : 1u;
    }
    return 2 * units;
}

}  // namespace

struct MemoryRegistry::Node {
    std::map<std::string, Node, CaseLess> keys;
    std::map<std::string, Value, CaseLess> values;
    bool readsDenied = false;
};

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Node>()), localMachine_(std::make_unique<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::Fail(RegOp op, Win32Error status, int occurrence) {
    failures_.push_back({op, status, occurrence});
}

MemoryRegistry::Node* MemoryRegistry::FindPath(RegRoot root, const char* keyPath) {
    Node* node = &RootNode(root);
    for (const std::string& part : SplitPath(keyPath)) {
        const auto it = node->keys.find(part);
        if (it == node->keys.end()) {
            return nullptr;
        }
        node = &it->second;
    }
    return node;
}

void MemoryRegistry::DenyReads(RegRoot root, const char* keyPath) {
    if (Node* node = FindPath(root, keyPath)) {
        node->readsDenied = true;
    }
}

void MemoryRegistry::MarkLossy(RegRoot root, const char* keyPath, const char* valueName) {
    if (Node* node = FindPath(root, keyPath)) {
        const auto it = node->values.find(valueName);
        if (it != node->values.end()) {
            it->second.lossy = true;
        }
    }
}

std::vector<RegOp> MemoryRegistry::CallOps() const {
    std::vector<RegOp> ops;
    for (const RegCall& call : calls_) {
        ops.push_back(call.op);
    }
    return ops;
}

Win32Error MemoryRegistry::Record(RegOp op, RegKey key, Win32Error status) {
    calls_.push_back({op, key, status});
    return status;
}

bool MemoryRegistry::ShouldFail(RegOp op, Win32Error& status) {
    if (std::find(exhausted_.begin(), exhausted_.end(), op) != exhausted_.end()) {
        throw std::bad_alloc();
    }
    const int count = ++counts_[op];
    for (const Failure& failure : failures_) {
        if (failure.op == op && (failure.occurrence == 0 || failure.occurrence == count)) {
            status = failure.status;
            return true;
        }
    }
    return false;
}

MemoryRegistry::Node& MemoryRegistry::RootNode(RegRoot root) {
    return root == RegRoot::kLocalMachine ? *localMachine_ : *currentUser_;
}

MemoryRegistry::Node* MemoryRegistry::Find(RegKey key) const {
    const auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second;
}

RegKey MemoryRegistry::NewHandle(Node& node) {
    const RegKey key = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(key, &node);
    return key;
}

Win32Error MemoryRegistry::RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    Win32Error status = win32_error::kSuccess;
    if (ShouldFail(RegOp::kOpen, status)) {
        return Record(RegOp::kOpen, 0, status);
    }
    Node* node = FindPath(root, keyPath);
    if (node == nullptr) {
        return Record(RegOp::kOpen, 0, win32_error::kFileNotFound);
    }
    key = NewHandle(*node);
    return Record(RegOp::kOpen, key, win32_error::kSuccess);
}

Win32Error MemoryRegistry::RegQueryValueExA(RegKey key, const char* valueName,
                                            std::uint32_t reserved, std::uint32_t& type,
                                            std::uint8_t* data, std::uint32_t& byteCount) {
    Win32Error status = win32_error::kSuccess;
    if (ShouldFail(RegOp::kQuery, status)) {
        return Record(RegOp::kQuery, key, status);
    }
    const Node* node = Find(key);
    if (node == nullptr) {
        return Record(RegOp::kQuery, key, win32_error::kInvalidHandle);
    }
    if (reserved != 0) {
        return Record(RegOp::kQuery, key, win32_error::kInvalidParameter);
    }
    if (node->readsDenied) {
        return Record(RegOp::kQuery, key, win32_error::kAccessDenied);
    }
    const auto it = node->values.find(valueName ? valueName : "");
    if (it == node->values.end()) {
        return Record(RegOp::kQuery, key, win32_error::kFileNotFound);
    }
    const Value& value = it->second;
    const auto size = static_cast<std::uint32_t>(value.data.size());
    if (data != nullptr) {
        if (byteCount < size) {
            byteCount = size;
            return Record(RegOp::kQuery, key, win32_error::kMoreData);
        }
        std::copy(value.data.begin(), value.data.end(), data);
    }
    type = value.type;
    byteCount = data == nullptr && utf16Sizes_ != nullptr && IsStringType(value.type)
                    ? Utf16Size(*utf16Sizes_, value.data)
                    : size;
    const bool lost = data != nullptr && value.lossy && value.type == reg_type::kSz;
    return Record(RegOp::kQuery, key,
                  lost ? win32_error::kNoUnicodeTranslation : win32_error::kSuccess);
}

Win32Error MemoryRegistry::RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    Win32Error status = win32_error::kSuccess;
    if (ShouldFail(RegOp::kCreate, status)) {
        return Record(RegOp::kCreate, 0, status);
    }
    Node* node = &RootNode(root);
    for (const std::string& part : SplitPath(keyPath)) {
        node = &node->keys[part];
    }
    key = NewHandle(*node);
    return Record(RegOp::kCreate, key, win32_error::kSuccess);
}

Win32Error MemoryRegistry::RegSetValueExA(RegKey key, const char* valueName,
                                          std::uint32_t /*reserved*/, std::uint32_t type,
                                          const std::uint8_t* data, std::uint32_t byteCount) {
    Win32Error status = win32_error::kSuccess;
    if (ShouldFail(RegOp::kSet, status)) {
        return Record(RegOp::kSet, key, status);
    }
    Node* node = Find(key);
    if (node == nullptr) {
        return Record(RegOp::kSet, key, win32_error::kInvalidHandle);
    }
    if (data == nullptr && byteCount != 0) {
        return Record(RegOp::kSet, key, win32_error::kInvalidParameter);
    }
    // Like Windows, a string whose count leaves out a NUL that follows it
    // is stored with that NUL: the byte past the count is read.
    if (IsStringType(type) && byteCount > 0 && data[byteCount - 1] != 0 && data[byteCount] == 0) {
        ++byteCount;
    }
    Value value{type, {}};
    if (byteCount > 0) {
        value.data.assign(data, data + byteCount);
    }
    node->values[valueName ? valueName : ""] = std::move(value);
    return Record(RegOp::kSet, key, win32_error::kSuccess);
}

Win32Error MemoryRegistry::RegCloseKey(RegKey key) {
    Win32Error status = win32_error::kSuccess;
    if (ShouldFail(RegOp::kClose, status)) {
        return Record(RegOp::kClose, key, status);
    }
    if (handles_.erase(key) == 0) {
        return Record(RegOp::kClose, key, win32_error::kInvalidHandle);
    }
    return Record(RegOp::kClose, key, win32_error::kSuccess);
}

std::optional<std::string> Cp1252Codec::ToAnsi(std::wstring_view text) const {
    std::string ansi;
    ansi.reserve(text.size());
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        char byte = '?';
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            byte = static_cast<char>(code);
        } else {
            const auto it = std::find(kHighControls.begin(), kHighControls.end(), code);
            if (it != kHighControls.end()) {
                byte = static_cast<char>(0x80 + (it - kHighControls.begin()));
            }
        }
        ansi += byte;
    }
    return ansi;
}

std::optional<std::wstring> Cp1252Codec::FromAnsi(std::string_view ansi) const {
    std::wstring text;
    text.reserve(ansi.size());
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x80 && byte <= 0x9F) ? static_cast<wchar_t>(kHighControls[byte - 0x80])
                                               : static_cast<wchar_t>(byte);
    }
    return text;
}

std::optional<std::string> Utf8Codec::ToAnsi(std::wstring_view text) const {
    std::string utf8;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto code = static_cast<std::uint32_t>(text[i]);
        // A UTF-16 pair, where wchar_t is 16 bits wide.
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            return std::nullopt;
        }
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

std::optional<std::wstring> Utf8Codec::FromAnsi(std::string_view ansi) const {
    std::wstring text;
    for (std::size_t i = 0; i < ansi.size();) {
        const auto lead = static_cast<unsigned char>(ansi[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > ansi.size()) {
            return std::nullopt;
        }
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(ansi[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        // UTF-16 where wchar_t is 16 bits (Windows), UTF-32 where it is not.
        if constexpr (sizeof(wchar_t) == 2) {
            if (code > 0xFFFF) {
                text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
                text += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
                i += length;
                continue;
            }
        }
        text += static_cast<wchar_t>(code);
        i += length;
    }
    return text;
}
