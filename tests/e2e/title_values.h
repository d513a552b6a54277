// The browser title values the end-to-end suites read and seed with the
// wide registry functions, apart from the program under test, and the
// journal that puts back what the suites change of them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline constexpr wchar_t kKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr wchar_t kValue[] = L"Window Title";
inline constexpr wchar_t kFallback[] = L"Microsoft Internet Explorer";

struct Stored {
    DWORD type;
    std::wstring text;  // the data as UTF-16, NULs included; an odd last byte as a unit of its own
    friend bool operator==(const Stored&, const Stored&) = default;
};

void PrintTo(const Stored& stored, std::ostream* out);

// The environment that journals the title keys of both roots (values and
// security) before any test and puts them back after the last; a run that
// ends before that is put back by the next one's start. The end-to-end
// programs' main registers it.
testing::Environment* NewSavedBrowserSettings();
// Whether the suites may write the real registry: they are permitted to
// here, and what they change is journaled.
bool MayWriteRealRegistry();

// What the environment's start does first: puts back the journal of every
// run that has ended, keeping what each replaces.
void PutBackEndedRuns();
// The journal's own check: journals a root's title key as it is, as a run
// of this process id that started at `created` would have.
bool JournalAsEarlierRun(HKEY root, std::uint64_t created);
// The titles this run's PutBackEndedRuns kept of what it replaced, deleted
// as read.
std::vector<Stored> TakeKeptTitles(HKEY root);

// A copy of a self-relative security descriptor that asks Windows to keep
// its DACL's auto-inherited or protected mark, where it has one.
std::vector<BYTE> WithInheritRequest(const std::vector<BYTE>& descriptor);

// The title as stored, or nullopt when there is none; a value that is
// there but cannot be read fails the test.
std::optional<Stored> ReadTitle(HKEY root);

// Stores exactly `text` (NULs included); a non-NUL character follows the
// counted data, so that no terminator is added.
void SeedTitle(HKEY root, DWORD type, std::wstring text);

// Removes both titles.
void ClearTitles();

// For one scope, a root's title key with a DACL that denies what a test
// needs denied; everyone keeps READ_CONTROL and WRITE_DAC, so that it can
// be put back. The journal holds the key's security from before the run,
// which the scope's end puts back, or the next run's start after a kill.
class RestrictedTitleKey {
public:
    RestrictedTitleKey(HKEY root, const wchar_t* dacl);
    ~RestrictedTitleKey();
    RestrictedTitleKey(const RestrictedTitleKey&) = delete;
    RestrictedTitleKey& operator=(const RestrictedTitleKey&) = delete;

    bool Active() const { return active_; }

private:
    HKEY root_;
    bool active_ = false;
};

// Its values cannot be read; the key must exist.
class UnreadableTitle : public RestrictedTitleKey {
public:
    explicit UnreadableTitle(HKEY root) : RestrictedTitleKey(root, L"D:P(A;;RCWD;;;WD)") {}
};

// The per-user title cannot be written: the key opens for reading only.
class UnwritableUserTitle : public RestrictedTitleKey {
public:
    UnwritableUserTitle() : RestrictedTitleKey(HKEY_CURRENT_USER, L"D:P(A;;KRWD;;;WD)") {}
};
