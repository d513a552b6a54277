#include "e2e/title_values.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <map>
#include <utility>
#include <vector>

#include "e2e/program_driver.h"
#include "support/english_texts.h"
#include "support/test_handles.h"
#include "support/win_keys.h"

namespace {

// What the suites change of a title key: whether it is there, its values
// (type and raw bytes) and its security (owner, DACL and mandatory label).
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};

constexpr auto kOwner = static_cast<SECURITY_INFORMATION>(OWNER_SECURITY_INFORMATION);
constexpr auto kDacl = static_cast<SECURITY_INFORMATION>(DACL_SECURITY_INFORMATION);
constexpr auto kLabel = static_cast<SECURITY_INFORMATION>(LABEL_SECURITY_INFORMATION);
constexpr SECURITY_INFORMATION kSecurity = kOwner | kDacl | kLabel;

// A security descriptor as SDDL: descriptors that grant the same compare
// equal, however their bytes are laid out.
std::wstring SecurityText(const std::vector<BYTE>& descriptor, SECURITY_INFORMATION parts) {
    wchar_t* text = nullptr;
    if (descriptor.empty() ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(
            const_cast<BYTE*>(descriptor.data()), SDDL_REVISION_1, parts, &text, nullptr)) {
        return {};
    }
    const UniqueLocalMemory owned(text);
    return text;
}

struct KeyState {
    bool exists = false;
    std::map<std::wstring, RawValue> values;
    std::vector<BYTE> security;  // self-relative

    friend bool operator==(const KeyState& a, const KeyState& b) {
        return a.exists == b.exists && a.values == b.values &&
               SecurityText(a.security, kSecurity) == SecurityText(b.security, kSecurity);
    }
};

std::vector<BYTE> SecurityOf(HKEY key) {
    DWORD size = 0;
    std::vector<BYTE> descriptor;
    while (true) {
        const LSTATUS status = RegGetKeySecurity(key, kSecurity, descriptor.data(), &size);
        if (status == ERROR_SUCCESS) {
            return descriptor;
        }
        if (status != ERROR_INSUFFICIENT_BUFFER || size <= descriptor.size()) {
            return {};
        }
        descriptor.resize(size);
    }
}

// Every value of an open key, byte for byte; nullopt when one cannot be
// read (a value may grow between two calls: it is read again).
std::optional<std::map<std::wstring, RawValue>> ValuesOf(HKEY key) {
    std::map<std::wstring, RawValue> values;
    std::vector<BYTE> data(256);
    for (DWORD index = 0;;) {
        std::wstring name(16384, L'\0');  // the longest value name, and its NUL
        auto nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(data.size());
        const LSTATUS status =
            RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) {
            return values;
        }
        if (status == ERROR_MORE_DATA) {
            data.resize(std::max<std::size_t>(size, data.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        name.resize(nameLength);
        values[name] = {type, std::vector<BYTE>(data.begin(), data.begin() + size)};
        ++index;
    }
}

// The title key of `root` as it is; nullopt when it is there and cannot be
// read whole.
std::optional<KeyState> Capture(HKEY root) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(root, kKey, 0, KEY_QUERY_VALUE | READ_CONTROL, &opened);
    if (status == ERROR_FILE_NOT_FOUND) {
        return KeyState{};
    }
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const UniqueKey key(opened);
    KeyState state{true, {}, SecurityOf(key.get())};
    auto values = ValuesOf(key.get());
    if (!values || state.security.empty()) {
        return std::nullopt;
    }
    state.values = std::move(*values);
    return state;
}

// Stores a value's exact bytes: a non-NUL unit follows them, so that no
// terminator is added to a string.
LSTATUS SetRaw(HKEY key, const std::wstring& name, const RawValue& value) {
    std::vector<BYTE> bytes = value.bytes;
    bytes.insert(bytes.end(), {'Z', 'Z'});
    return RegSetValueExW(key, name.c_str(), 0, value.type, bytes.data(),
                          static_cast<DWORD>(value.bytes.size()));
}

bool SetSecurity(HKEY key, SECURITY_INFORMATION part, const std::vector<BYTE>& descriptor) {
    return RegSetKeySecurity(key, part, const_cast<BYTE*>(descriptor.data())) == ERROR_SUCCESS;
}

// Sets a saved DACL so that it reads back as it was saved. Windows keeps a
// DACL's auto-inherited and protected marks (D:AI, D:P) only when the
// descriptor set asks for them with SE_DACL_AUTO_INHERIT_REQ, and then
// takes the inherited entries from the key's DACL as it is, not from the
// descriptor: so the DACL goes in as saved first, which brings the
// inherited entries back, then once more with the request. Wine keeps the
// marks either way.
bool SetDacl(HKEY key, const std::vector<BYTE>& saved) {
    const std::vector<BYTE> requested = WithInheritRequest(saved);
    return SetSecurity(key, kDacl, saved) &&
           (requested == saved || SetSecurity(key, kDacl, requested));
}

// Whether the title key is there, readable or not.
bool TitleKeyExists(HKEY root) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(root, kKey, 0, KEY_QUERY_VALUE, &opened);
    const UniqueKey key(status == ERROR_SUCCESS ? opened : nullptr);
    return status != ERROR_FILE_NOT_FOUND;
}

// Puts back the security a key had: its DACL first, which its owner may
// always set, so that the rest may be done; then the owner and the label
// where they differ (Wine sets the owner to the user's group with any
// DACL, and keeps no labels on keys). A key that was not there gets a DACL
// that lets it be deleted.
bool PutBackSecurity(HKEY root, const KeyState& saved) {
    if (!TitleKeyExists(root)) {
        return !saved.exists;
    }
    std::vector<BYTE> dacl = saved.security;
    if (!saved.exists) {
        PSECURITY_DESCRIPTOR open = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr)) {
            return false;
        }
        const UniqueLocalMemory owned(open);
        const auto* bytes = static_cast<const BYTE*>(open);
        dacl.assign(bytes, bytes + GetSecurityDescriptorLength(open));
    }
    const UniqueKey key = OpenKey(root, kKey, READ_CONTROL | WRITE_DAC);
    if (!key) {
        return false;
    }
    // What reads back as saved is not written.
    std::vector<BYTE> now = SecurityOf(key.get());
    if (SecurityText(now, kDacl) != SecurityText(dacl, kDacl) && !SetDacl(key.get(), dacl)) {
        return false;
    }
    if (!saved.exists) {
        return true;
    }
    now = SecurityOf(key.get());
    for (const SECURITY_INFORMATION part : {kOwner, kLabel}) {
        if (SecurityText(now, part) == SecurityText(saved.security, part)) {
            continue;
        }
        const UniqueKey owned = OpenKey(root, kKey, READ_CONTROL | WRITE_OWNER);
        if (!owned || !SetSecurity(owned.get(), part, saved.security)) {
            return false;
        }
    }
    return SecurityText(SecurityOf(key.get()), kSecurity) ==
           SecurityText(saved.security, kSecurity);
}

// The one way back for every state a test makes: the key's security, then
// its values, then a read-back that must find the saved state. A key that
// reads back as saved is not written at all.
bool PutBack(HKEY root, const KeyState& saved) {
    if (Capture(root) == saved) {
        return true;
    }
    if (saved.exists && !TitleKeyExists(root)) {
        HKEY created = nullptr;
        if (RegCreateKeyExW(root, kKey, 0, nullptr, 0, KEY_QUERY_VALUE, nullptr, &created,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(created);
    }
    if (!PutBackSecurity(root, saved)) {
        return false;
    }
    HKEY opened = nullptr;
    if (saved.exists) {
        if (RegCreateKeyExW(root, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &opened, nullptr) != ERROR_SUCCESS) {
            return false;
        }
    } else if (RegOpenKeyExW(root, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened) !=
               ERROR_SUCCESS) {
        return Capture(root) == saved;
    }
    const UniqueKey key(opened);
    const auto now = ValuesOf(key.get());
    if (!now) {
        return false;
    }
    for (const auto& [name, value] : *now) {
        if (saved.values.count(name) == 0) {
            RegDeleteValueW(key.get(), name.c_str());
        }
    }
    for (const auto& [name, value] : saved.values) {
        const auto found = now->find(name);
        if (found == now->end() || found->second != value) {
            SetRaw(key.get(), name, value);
        }
    }
    if (!saved.exists) {
        // A key a test made goes, unless a key was made below it.
        RegDeleteKeyW(root, kKey);
    }
    return Capture(root) == saved;
}

// The journal: for each run, the state of both title keys before it
// began, under a name no other run can take for its own (the process id
// with its creation time). An entry goes only once its key is put back and
// read back; the next run's start puts back what a run that ended first
// left, keeping what it replaces. The scratch roots of the store suite,
// beside it, sweep only their own keys.
constexpr wchar_t kJournal[] = L"Software\\TitlebarTests\\Journal";
constexpr wchar_t kRunPrefix[] = L"Run-";
constexpr wchar_t kKeptPrefix[] = L"Kept-";

struct Journaled {
    const wchar_t* entry;
    HKEY root;
    const wchar_t* shown;
};
const Journaled kJournaled[] = {
    {L"User", HKEY_CURRENT_USER, L"HKCU"},
    {L"Machine", HKEY_LOCAL_MACHINE, L"HKLM"},
};

std::wstring Path(const std::wstring& run, const wchar_t* entry = nullptr) {
    std::wstring path = std::wstring(kJournal) + L"\\" + run;
    return entry != nullptr ? path + L"\\" + entry : path;
}

std::optional<KeyState> ReadEntry(const std::wstring& run, const wchar_t* entry) {
    const UniqueKey key = OpenKey(HKEY_CURRENT_USER, Path(run, entry));
    const UniqueKey values = OpenKey(HKEY_CURRENT_USER, Path(run, entry) + L"\\Values");
    const auto fields = key ? ValuesOf(key.get()) : std::nullopt;
    auto copies = values ? ValuesOf(values.get()) : std::nullopt;
    if (!fields || !copies || fields->count(L"Existed") == 0 || fields->count(L"Security") == 0) {
        return std::nullopt;
    }
    return KeyState{fields->at(L"Existed").bytes != std::vector<BYTE>(4, 0), std::move(*copies),
                    fields->at(L"Security").bytes};
}

// Writes an entry and reads it back.
bool WriteEntry(const std::wstring& run, const wchar_t* entry, const KeyState& state) {
    RegDeleteTreeW(HKEY_CURRENT_USER, Path(run, entry).c_str());
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (Path(run, entry) + L"\\Values").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey values(opened);
    const UniqueKey key = OpenKey(HKEY_CURRENT_USER, Path(run, entry), KEY_SET_VALUE);
    const DWORD existed = state.exists ? 1 : 0;
    if (!key ||
        RegSetValueExW(key.get(), L"Existed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&existed),
                       sizeof existed) != ERROR_SUCCESS ||
        SetRaw(key.get(), L"Security", {REG_BINARY, state.security}) != ERROR_SUCCESS) {
        return false;
    }
    for (const auto& [name, value] : state.values) {
        if (SetRaw(values.get(), name, value) != ERROR_SUCCESS) {
            return false;
        }
    }
    return ReadEntry(run, entry) == state;
}

void DeleteEntry(const std::wstring& run, const wchar_t* entry) {
    RegDeleteTreeW(HKEY_CURRENT_USER, Path(run, entry).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Path(run, entry).c_str());
    // Each goes only when nothing is left in it.
    RegDeleteKeyW(HKEY_CURRENT_USER, Path(run).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kJournal);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TitlebarTests");
}

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

std::wstring RunName(DWORD processId, std::uint64_t created) {
    return kRunPrefix + std::to_wstring(processId) + L"-" + std::to_wstring(created);
}

// Whether the run of that name is this one or still running.
bool RunAlive(const std::wstring& run) {
    wchar_t* end = nullptr;
    const unsigned long processId = std::wcstoul(run.c_str() + std::wcslen(kRunPrefix), &end, 10);
    if (*end != L'-') {
        return false;
    }
    const unsigned long long created = std::wcstoull(end + 1, &end, 10);
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE,
                                                 FALSE, static_cast<DWORD>(processId)));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT &&
           CreationTime(process.get()) == created;
}

std::vector<std::wstring> JournalRuns() {
    std::vector<std::wstring> runs;
    if (const UniqueKey journal = OpenKey(HKEY_CURRENT_USER, kJournal)) {
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            auto length = static_cast<DWORD>(std::size(name));
            if (RegEnumKeyExW(journal.get(), i, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                break;
            }
            runs.emplace_back(name, length);
        }
    }
    return runs;
}

Stored AsStored(const RawValue& value) {
    std::wstring text((value.bytes.size() + 1) / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value.bytes.data(), value.bytes.size());
    return {value.type, text};
}

std::wstring ThisRun() {
    return RunName(GetCurrentProcessId(), CreationTime(GetCurrentProcess()));
}

void PutBackEntry(const std::wstring& run, const Journaled& journaled) {
    if (!KeyExists(HKEY_CURRENT_USER, Path(run, journaled.entry))) {
        return;
    }
    const std::string shown = Ascii(std::wstring(journaled.shown) + L"\\" + kKey);
    // The key's security first: a killed test may have left it unreadable,
    // and what a test made of its security is nothing to keep.
    const std::optional<KeyState> saved = ReadEntry(run, journaled.entry);
    const bool secured = saved && PutBackSecurity(journaled.root, *saved);
    const std::optional<KeyState> now = secured ? Capture(journaled.root) : std::nullopt;
    const std::wstring kept = kKeptPrefix + ThisRun() + L"-" + run;
    if (!now || (*now != *saved && !WriteEntry(kept, journaled.entry, *now))) {
        ADD_FAILURE() << "an earlier run's journal of " << shown << " at HKCU\\" << Ascii(Path(run))
                      << " could not be put back";
        return;
    }
    if (!PutBack(journaled.root, *saved)) {
        ADD_FAILURE() << shown << " could not be put back from an earlier run's journal at HKCU\\"
                      << Ascii(Path(run));
        return;
    }
    std::cerr << "An earlier run (" << Ascii(run) << ") ended before putting " << shown
              << " back: it is put back from its journal";
    if (*now != *saved) {
        std::cerr << ", and what it replaced is kept at HKCU\\" << Ascii(Path(kept));
    }
    std::cerr << ".\n";
    DeleteEntry(run, journaled.entry);
}

bool settingsSaved = false;

class SavedBrowserSettings final : public testing::Environment {
public:
    void SetUp() override {
        if (!RealRegistryPermitted()) {
            return;
        }
        run_ = ThisRun();
        PutBackEndedRuns();
        for (const Journaled& journaled : kJournaled) {
            const std::optional<KeyState> state = Capture(journaled.root);
            ASSERT_TRUE(state) << Ascii(journaled.shown) << "\\" << Ascii(kKey)
                               << " cannot be read whole: no test that writes the registry runs";
            ASSERT_TRUE(WriteEntry(run_, journaled.entry, *state))
                << Ascii(journaled.shown) << "\\" << Ascii(kKey)
                << " could not be journaled: no test that writes the registry runs";
            saved_.emplace(journaled.root, *state);
        }
        settingsSaved = true;
    }

    void TearDown() override {
        if (!settingsSaved) {
            return;
        }
        settingsSaved = false;
        for (const Journaled& journaled : kJournaled) {
            const bool back = PutBack(journaled.root, saved_.at(journaled.root));
            EXPECT_TRUE(back) << Ascii(journaled.shown) << "\\" << Ascii(kKey)
                              << " could not be put back; the journal keeps it at HKCU\\"
                              << Ascii(Path(run_, journaled.entry));
            if (back) {
                DeleteEntry(run_, journaled.entry);
            }
        }
    }

private:
    std::wstring run_;
    std::map<HKEY, KeyState> saved_;
};

}  // namespace

// Runs that ended without putting their keys back (killed, or the put
// back failed): each entry is put back, what it replaces kept.
void PutBackEndedRuns() {
    for (const std::wstring& run : JournalRuns()) {
        if (run.rfind(kRunPrefix, 0) != 0 || RunAlive(run)) {
            continue;
        }
        for (const Journaled& journaled : kJournaled) {
            PutBackEntry(run, journaled);
        }
    }
}

bool JournalAsEarlierRun(HKEY root, std::uint64_t created) {
    const std::optional<KeyState> state = Capture(root);
    const Journaled& journaled = root == HKEY_CURRENT_USER ? kJournaled[0] : kJournaled[1];
    return state && WriteEntry(RunName(GetCurrentProcessId(), created), journaled.entry, *state);
}

std::vector<Stored> TakeKeptTitles(HKEY root) {
    const Journaled& journaled = root == HKEY_CURRENT_USER ? kJournaled[0] : kJournaled[1];
    std::vector<Stored> titles;
    // Only what this run kept: a copy an earlier run's start kept may hold
    // a title someone set since.
    const std::wstring ours = kKeptPrefix + ThisRun() + L"-";
    for (const std::wstring& run : JournalRuns()) {
        const std::optional<KeyState> kept = ReadEntry(run, journaled.entry);
        if (run.rfind(ours, 0) != 0 || !kept) {
            continue;
        }
        if (const auto title = kept->values.find(kValue); title != kept->values.end()) {
            titles.push_back(AsStored(title->second));
        }
        DeleteEntry(run, journaled.entry);
    }
    return titles;
}

testing::Environment* NewSavedBrowserSettings() {
    return new SavedBrowserSettings;
}

bool MayWriteRealRegistry() {
    return settingsSaved;
}

void PrintTo(const Stored& stored, std::ostream* out) {
    *out << "type " << stored.type << ", " << stored.text.size() << " units";
}

std::optional<Stored> ReadTitle(HKEY root) {
    const std::optional<KeyState> state = Capture(root);
    if (!state) {
        ADD_FAILURE() << "the title key cannot be read";
        return Stored{REG_NONE, L"(unreadable)"};
    }
    const auto found = state->values.find(kValue);
    if (found == state->values.end()) {
        return std::nullopt;
    }
    return AsStored(found->second);
}

void SeedTitle(HKEY root, DWORD type, std::wstring text) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const UniqueKey key(created);
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    text += L'Z';
    EXPECT_EQ(RegSetValueExW(key.get(), kValue, 0, type, reinterpret_cast<const BYTE*>(text.data()),
                             bytes),
              ERROR_SUCCESS);
}

void ClearTitles() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, kValue);
}

RestrictedTitleKey::RestrictedTitleKey(HKEY root, const wchar_t* dacl) : root_(root) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!MayWriteRealRegistry() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                       dacl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return;
    }
    const UniqueLocalMemory owned(descriptor);
    const UniqueKey key = OpenKey(root, kKey, READ_CONTROL | WRITE_DAC);
    active_ =
        key && RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
}

RestrictedTitleKey::~RestrictedTitleKey() {
    if (active_) {
        const std::optional<KeyState> saved =
            ReadEntry(RunName(GetCurrentProcessId(), CreationTime(GetCurrentProcess())),
                      root_ == HKEY_CURRENT_USER ? kJournaled[0].entry : kJournaled[1].entry);
        EXPECT_TRUE(saved && PutBackSecurity(root_, *saved))
            << "the title key's security could not be put back; the journal keeps it";
    }
}

std::vector<BYTE> WithInheritRequest(const std::vector<BYTE>& descriptor) {
    std::vector<BYTE> copy = descriptor;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!copy.empty() && GetSecurityDescriptorControl(copy.data(), &control, &revision) &&
        (control & (SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED)) != 0) {
        SetSecurityDescriptorControl(copy.data(), SE_DACL_AUTO_INHERIT_REQ,
                                     SE_DACL_AUTO_INHERIT_REQ);
    }
    return copy;
}
