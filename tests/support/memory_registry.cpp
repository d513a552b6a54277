#include "memory_registry.h"

#include <algorithm>
#include <array>
#include <cstring>

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

}  // namespace

struct MemoryRegistry::Node {
    std::map<std::string, Node, CaseLess> keys;
    std::map<std::string, Value, CaseLess> values;
};

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Node>()), localMachine_(std::make_unique<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::Fail(RegOp op, RegStatus status, int occurrence) {
    failures_.push_back({op, status, occurrence});
}

std::vector<RegOp> MemoryRegistry::CallOps() const {
    std::vector<RegOp> ops;
    for (const RegCall& call : calls_) {
        ops.push_back(call.op);
    }
    return ops;
}

RegStatus MemoryRegistry::Record(RegOp op, RegKey key, RegStatus status) {
    calls_.push_back({op, key, status});
    return status;
}

bool MemoryRegistry::ShouldFail(RegOp op, RegStatus& status) {
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

RegStatus MemoryRegistry::RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    RegStatus status = reg_status::kSuccess;
    if (ShouldFail(RegOp::kOpen, status)) {
        return Record(RegOp::kOpen, 0, status);
    }
    Node* node = &RootNode(root);
    for (const std::string& part : SplitPath(keyPath)) {
        const auto it = node->keys.find(part);
        if (it == node->keys.end()) {
            return Record(RegOp::kOpen, 0, reg_status::kFileNotFound);
        }
        node = &it->second;
    }
    key = NewHandle(*node);
    return Record(RegOp::kOpen, key, reg_status::kSuccess);
}

RegStatus MemoryRegistry::RegQueryValueExA(RegKey key, const char* valueName,
                                           std::uint32_t reserved, std::uint32_t& type,
                                           std::uint8_t* data, std::uint32_t& byteCount) {
    RegStatus status = reg_status::kSuccess;
    if (ShouldFail(RegOp::kQuery, status)) {
        return Record(RegOp::kQuery, key, status);
    }
    const Node* node = Find(key);
    if (node == nullptr) {
        return Record(RegOp::kQuery, key, reg_status::kInvalidHandle);
    }
    if (reserved != 0) {
        return Record(RegOp::kQuery, key, reg_status::kInvalidParameter);
    }
    const auto it = node->values.find(valueName ? valueName : "");
    if (it == node->values.end()) {
        return Record(RegOp::kQuery, key, reg_status::kFileNotFound);
    }
    const Value& value = it->second;
    const auto size = static_cast<std::uint32_t>(value.data.size());
    if (data != nullptr) {
        if (byteCount < size) {
            return Record(RegOp::kQuery, key, reg_status::kMoreData);
        }
        std::copy(value.data.begin(), value.data.end(), data);
    }
    type = value.type;
    byteCount = size;
    return Record(RegOp::kQuery, key, reg_status::kSuccess);
}

RegStatus MemoryRegistry::RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) {
    RegStatus status = reg_status::kSuccess;
    if (ShouldFail(RegOp::kCreate, status)) {
        return Record(RegOp::kCreate, 0, status);
    }
    Node* node = &RootNode(root);
    for (const std::string& part : SplitPath(keyPath)) {
        node = &node->keys[part];
    }
    key = NewHandle(*node);
    return Record(RegOp::kCreate, key, reg_status::kSuccess);
}

RegStatus MemoryRegistry::RegSetValueExA(RegKey key, const char* valueName,
                                         std::uint32_t /*reserved*/, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t byteCount) {
    RegStatus status = reg_status::kSuccess;
    if (ShouldFail(RegOp::kSet, status)) {
        return Record(RegOp::kSet, key, status);
    }
    Node* node = Find(key);
    if (node == nullptr) {
        return Record(RegOp::kSet, key, reg_status::kInvalidHandle);
    }
    if (data == nullptr && byteCount != 0) {
        return Record(RegOp::kSet, key, reg_status::kInvalidParameter);
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
    return Record(RegOp::kSet, key, reg_status::kSuccess);
}

RegStatus MemoryRegistry::RegCloseKey(RegKey key) {
    RegStatus status = reg_status::kSuccess;
    if (ShouldFail(RegOp::kClose, status)) {
        return Record(RegOp::kClose, key, status);
    }
    if (handles_.erase(key) == 0) {
        return Record(RegOp::kClose, key, reg_status::kInvalidHandle);
    }
    return Record(RegOp::kClose, key, reg_status::kSuccess);
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
