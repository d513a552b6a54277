// An in-memory registry that behaves as advapi32's ANSI functions do, for
// tests and fuzzing. It can make any operation fail and records every call.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "store/registry_api.h"

enum class RegOp { kOpen, kQuery, kCreate, kSet, kClose };

struct RegCall {
    RegOp op;
    RegKey key;  // the key passed in, or the key returned by an open or create
    Win32Error status;
    friend bool operator==(const RegCall&, const RegCall&) = default;
};

class MemoryRegistry final : public RegistryApi {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    Win32Error RegOpenKeyA(RegRoot root, const char* keyPath, RegKey& key) override;
    Win32Error RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                                std::uint32_t& type, std::uint8_t* data,
                                std::uint32_t& byteCount) override;
    Win32Error RegCreateKeyA(RegRoot root, const char* keyPath, RegKey& key) override;
    Win32Error RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved,
                              std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t byteCount) override;
    Win32Error RegCloseKey(RegKey key) override;

    // Makes the `occurrence`-th call of `op` (counting from 1), or every call
    // when `occurrence` is 0, fail with `status` and no effect.
    void Fail(RegOp op, Win32Error status, int occurrence = 0);

    // Makes every call of `op` throw std::bad_alloc, as an allocation that
    // fails inside it would.
    void ExhaustMemory(RegOp op) { exhausted_.push_back(op); }

    // Makes every query of the values under this key fail with access
    // denied, as a key whose DACL grants no reading does; the open succeeds.
    void DenyReads(RegRoot root, const char* keyPath);

    // Makes the value's data read as one the code page lost characters of:
    // copied as stored, with kNoUnicodeTranslation.
    void MarkLossy(RegRoot root, const char* keyPath, const char* valueName);

    // Makes a query without a buffer report a string's size as Windows may
    // for the ANSI functions: the UTF-16 size of its text, read with `codec`.
    void ReportUtf16Sizes(const AnsiCodec& codec) { utf16Sizes_ = &codec; }

    const std::vector<RegCall>& Calls() const { return calls_; }
    std::vector<RegOp> CallOps() const;
    std::size_t OpenHandles() const { return handles_.size(); }

private:
    struct Node;
    struct Failure {
        RegOp op;
        Win32Error status;
        int occurrence;
    };

    Win32Error Record(RegOp op, RegKey key, Win32Error status);
    bool ShouldFail(RegOp op, Win32Error& status);
    Node& RootNode(RegRoot root);
    Node* FindPath(RegRoot root, const char* keyPath);
    Node* Find(RegKey key) const;
    RegKey NewHandle(Node& node);

    std::unique_ptr<Node> currentUser_;
    std::unique_ptr<Node> localMachine_;
    std::map<RegKey, Node*> handles_;
    RegKey nextHandle_ = 0x100;
    std::vector<Failure> failures_;
    std::vector<RegOp> exhausted_;
    std::map<RegOp, int> counts_;
    std::vector<RegCall> calls_;
    const AnsiCodec* utf16Sizes_ = nullptr;
};

// Windows-1252, standing in for the system's ANSI code page. Characters it
// lacks become '?'.
class Cp1252Codec final : public AnsiCodec {
public:
    std::optional<std::string> ToAnsi(std::wstring_view text) const override;
    std::optional<std::wstring> FromAnsi(std::string_view ansi) const override;
};

// UTF-8, the ANSI code page that the program's manifest asks for. A lone
// surrogate cannot be encoded, and malformed bytes cannot be decoded.
class Utf8Codec final : public AnsiCodec {
public:
    std::optional<std::string> ToAnsi(std::wstring_view text) const override;
    std::optional<std::wstring> FromAnsi(std::string_view ansi) const override;
};
