// The browser title values of the test prefix, read and seeded with the
// wide registry functions, apart from the program under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr wchar_t kKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr wchar_t kValue[] = L"Window Title";
inline constexpr wchar_t kFallback[] = L"Microsoft Internet Explorer";

struct Stored {
    DWORD type;
    std::wstring text;  // the data as UTF-16, NULs included
    friend bool operator==(const Stored&, const Stored&) = default;
};

void PrintTo(const Stored& stored, std::ostream* out);

// The environment that saves what the suites change of the registry
// before any test and puts it back after the last; the end-to-end
// programs' main registers it.
testing::Environment* NewSavedBrowserSettings();
// Whether the suites may write the real registry: they are permitted to
// here, and what they change is saved.
bool MayWriteRealRegistry();

std::optional<Stored> ReadTitle(HKEY root);

// Stores exactly `text` (NULs included); a non-NUL character follows the
// counted data, so that no terminator is added.
void SeedTitle(HKEY root, DWORD type, std::wstring text);

// Removes both titles.
void ClearTitles();

// Makes a root's title key deny reading for one scope, as a DACL that grants
// everyone only READ_CONTROL and WRITE_DAC does; the key must exist.
class UnreadableTitle {
public:
    explicit UnreadableTitle(HKEY root);
    ~UnreadableTitle();
    UnreadableTitle(const UnreadableTitle&) = delete;
    UnreadableTitle& operator=(const UnreadableTitle&) = delete;

    bool Active() const { return active_; }

private:
    HKEY root_;
    std::vector<BYTE> saved_;  // the key's own DACL, put back afterwards
    bool active_ = false;
};

// Makes the per-user title unwritable for one scope: a lasting key cannot
// be made below a volatile one.
class UnwritableUserTitle {
public:
    UnwritableUserTitle();
    ~UnwritableUserTitle();
    UnwritableUserTitle(const UnwritableUserTitle&) = delete;
    UnwritableUserTitle& operator=(const UnwritableUserTitle&) = delete;

    bool Active() const { return active_; }

private:
    bool active_ = false;
};
