#include "e2e/program_driver.h"

// Defines IID_IAccessible here; without it MinGW's is garbage.
#include <initguid.h>

#include <oleacc.h>

#include <cstdint>
#include <iostream>
#include <iterator>
#include <thread>

#include "common/handler_guard.h"

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring BuildFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L"\\/"));
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

bool EveryTestMustRun() {
    wchar_t value[2] = {};
    return GetEnvironmentVariableW(L"TITLEBAR_E2E_WRITES_REAL_REGISTRY", value, 2) == 1 &&
           value[0] == L'1';
}

namespace {

class ForegroundUnlocked final : public testing::Environment {
public:
    void SetUp() override {
        saved_ = SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout_, 0) &&
                 SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        if (!saved_) {
            std::cerr << "The foreground lock timeout could not be set to 0: error "
                      << GetLastError() << "\n";
        }
    }
    void TearDown() override {
        if (saved_) {
            SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                  reinterpret_cast<void*>(static_cast<std::uintptr_t>(timeout_)),
                                  SPIF_SENDCHANGE);
        }
    }

private:
    DWORD timeout_ = 0;
    bool saved_ = false;
};

}  // namespace

testing::Environment* NewForegroundUnlocked() {
    return new ForegroundUnlocked;
}

bool RealRegistryPermitted() {
    return UnderWine() || EveryTestMustRun();
}

bool OnShownDesktop() {
    DWORD session = 0;
    USEROBJECTFLAGS flags{};
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session != 0 &&
           GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                     nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

std::wstring ProgramPath() {
    return TITLEBAR_PROGRAM;
}

std::wstring LegacyCodePageProgramPath() {
    return TITLEBAR_LEGACY_PROGRAM;
}

std::wstring StarterPath() {
    return TITLEBAR_STARTER;
}

namespace {

UniqueModule ResourcesOf(const std::wstring& module) {
    return UniqueModule(LoadLibraryExW(module.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

}  // namespace

std::string ResourceBytes(const std::wstring& module, WORD type, WORD id) {
    const UniqueModule loaded = ResourcesOf(module);
    std::string bytes;
    if (!loaded) {
        return bytes;
    }
    if (const HRSRC found =
            FindResourceW(loaded.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type))) {
        if (const HGLOBAL resource = LoadResource(loaded.get(), found)) {
            bytes.assign(static_cast<const char*>(LockResource(resource)),
                         SizeofResource(loaded.get(), found));
        }
    }
    return bytes;
}

namespace {

using Blocks = std::map<WORD, std::set<LANGID>>;

// Callbacks of the enumeration: no exception crosses them.
BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR block, WORD language, LONG_PTR into) noexcept {
    return RunGuarded(
        [&] {
            (*reinterpret_cast<Blocks*>(
                into))[static_cast<WORD>(reinterpret_cast<ULONG_PTR>(block))]
                .insert(language);
        },
        [](const char*) noexcept {});
}

BOOL CALLBACK AddBlock(HMODULE module, LPCWSTR type, LPWSTR block, LONG_PTR into) noexcept {
    return EnumResourceLanguagesW(module, type, block, AddLanguage, into);
}

}  // namespace

std::map<WORD, std::set<LANGID>> StringTableLanguages(const std::wstring& module) {
    Blocks blocks;
    const UniqueModule loaded = ResourcesOf(module);
    EnumResourceNamesW(loaded.get(), MAKEINTRESOURCEW(6), AddBlock,  // RT_STRING
                       reinterpret_cast<LONG_PTR>(&blocks));
    return blocks;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT is carried across processes; GetWindowText is not.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::vector<ChildInfo> Children(HWND parent) {
    std::vector<ChildInfo> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        children.push_back({child, GetDlgCtrlID(child), ClassName(child), WindowText(child), rect,
                            GetWindowLongW(child, GWL_STYLE)});
    }
    return children;
}

Pipe::Pipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (CreatePipe(&read, &write, &inherit, 1 << 20)) {
        read_.reset(read);
        write_.reset(write);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    }
}

std::string Pipe::ReadAll() {
    write_.reset();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read_.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

RunningProgram::RunningProgram(const std::wstring& path, const std::wstring& arguments,
                               const Redirect* redirect) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (redirect != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = redirect->out;
        startup.hStdError = redirect->err;
    }
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    PROCESS_INFORMATION started{};
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, redirect != nullptr, 0,
                       nullptr, nullptr, &startup, &started)) {
        process_.reset(started.hProcess);
        thread_.reset(started.hThread);
        processId_ = started.dwProcessId;
        threadId_ = started.dwThreadId;
    } else {
        startError_ = GetLastError();
    }
}

RunningProgram::~RunningProgram() {
    if (process_ && Running()) {
        TerminateProcess(Process(), 99);
        WaitForSingleObject(Process(), 5000);
    }
}

std::vector<HWND> RunningProgram::TopLevelWindows(const std::wstring& className) const {
    struct Search {
        DWORD processId;
        const std::wstring* className;
        std::vector<HWND> found;
    } search{processId_, &className, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId &&
                (s->className->empty() || ClassName(window) == *s->className)) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND RunningProgram::WaitForWindow(const std::wstring& caption) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : TopLevelWindows({})) {
            if (IsWindowVisible(window) && WindowText(window) == caption) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

namespace {

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info{box, WindowText(box), L"", {}, false};
    for (const ChildInfo& child : Children(box)) {
        if (_wcsicmp(child.className.c_str(), L"Button") == 0) {
            info.buttons.push_back(child.text);
        } else if (_wcsicmp(child.className.c_str(), L"Static") == 0) {
            if ((child.style & SS_TYPEMASK) == SS_ICON) {
                info.hasIcon = true;
            } else if (!child.text.empty()) {
                info.text = child.text;
            }
        }
    }
    return info;
}

}  // namespace

std::optional<MessageBoxInfo> RunningProgram::WaitForMessageBox(std::chrono::milliseconds timeout) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopLevelWindows(L"#32770")) {
                if (IsWindowVisible(window)) {
                    box = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return box != nullptr ? std::optional(ReadMessageBox(box)) : std::nullopt;
}

std::optional<MessageBoxInfo> WaitForMessageBoxTitled(const std::wstring& caption,
                                                      std::chrono::milliseconds timeout) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            box = FindWindowW(L"#32770", caption.c_str());
            return box != nullptr && IsWindowVisible(box);
        },
        timeout);
    return box != nullptr ? std::optional(ReadMessageBox(box)) : std::nullopt;
}

HWND RunningProgram::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId_, &info);
    return info.hwndFocus;
}

std::optional<DWORD> RunningProgram::WaitForExit(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(Process(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(Process(), &code);
    return code;
}

bool RunningProgram::Running() const {
    return WaitForSingleObject(Process(), 0) == WAIT_TIMEOUT;
}

void Press(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void Dismiss(const MessageBoxInfo& box) {
    PostMessageW(GetDlgItem(box.window, IDOK), BM_CLICK, 0, 0);
}

void PostKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(window, WM_KEYUP, virtualKey,
                 static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31)));
}

std::vector<COLORREF> ClientPixels(HWND window, const RECT& rect) {
    RECT client{};
    GetClientRect(window, &client);
    std::vector<COLORREF> pixels;
    if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom ||
        rect.left >= rect.right || rect.top >= rect.bottom) {
        return pixels;
    }
    const WindowDcScope screen(nullptr);
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.Dc()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap bitmap(
        CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) {
        return pixels;
    }
    const ScopedSelect select(memory.get(), bitmap.get());
    // The window's own drawing, whatever covers it on the screen. Wine's
    // PrintWindow hands the window this process's device context, which the
    // window's process cannot draw into; there, on a screen where no other
    // window is shown, the screen holds the same pixels.
    if (UnderWine()) {
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        BitBlt(memory.get(), 0, 0, client.right, client.bottom, screen.Dc(), origin.x, origin.y,
               SRCCOPY);
    } else if (!PrintWindow(window, memory.get(), PW_CLIENTONLY)) {
        return pixels;
    }
    GdiFlush();
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const auto at = static_cast<std::size_t>(4 * (y * client.right + x));
            pixels.push_back(RGB(bgrx[at + 2], bgrx[at + 1], bgrx[at]));
        }
    }
    return pixels;
}

namespace {

// Windows lets few processes take the foreground: one whose thread shares
// the input state of the foreground window's thread may.
bool BringToForeground(HWND window) {
    if (GetForegroundWindow() != window) {
        const DWORD self = GetCurrentThreadId();
        const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const bool attached =
            foreground != 0 && foreground != self && AttachThreadInput(self, foreground, TRUE);
        SetForegroundWindow(window);
        if (attached) {
            AttachThreadInput(self, foreground, FALSE);
        }
    }
    return WaitFor([&] { return GetForegroundWindow() == window; }, std::chrono::seconds(2));
}

}  // namespace

bool TakeBackForegroundFromWinesDesktop(HWND window) {
    const HWND foreground = GetForegroundWindow();
    if (!UnderWine() || (foreground != nullptr && foreground != GetDesktopWindow())) {
        return false;
    }
    std::cerr << "Wine handed the foreground to its desktop; the window is activated again\n";
    return BringToForeground(window);
}

testing::AssertionResult TypeKeys(HWND window, std::initializer_list<WORD> keys) {
    if (!BringToForeground(window)) {
        const HWND foreground = GetForegroundWindow();
        return testing::AssertionFailure()
               << "Windows kept the foreground at a window of class '"
               << testing::PrintToString(ClassName(foreground)) << "', not the program's: keys "
               << "typed now would go there";
    }
    std::vector<INPUT> inputs;
    const auto key = [](WORD virtualKey, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        return input;
    };
    for (const WORD virtualKey : keys) {
        inputs.push_back(key(virtualKey, 0));
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        inputs.push_back(key(*it, KEYEVENTF_KEYUP));
    }
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
        inputs.size()) {
        return testing::AssertionFailure() << "SendInput failed: error " << GetLastError();
    }
    return testing::AssertionSuccess();
}

std::wstring AccessibleName(HWND window) {
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static_cast<void>(com);
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(no accessible object)";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = L"(no name)";
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name != nullptr) {
        text.assign(name, SysStringLen(name));
        SysFreeString(name);
    }
    accessible->Release();
    return text;
}

namespace {

std::vector<HWND> focused;

}  // namespace

FocusRecorder::FocusRecorder(DWORD processId)
    : hook_(SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocus, processId, 0,
                            WINEVENT_OUTOFCONTEXT)) {
    focused.clear();
}

FocusRecorder::~FocusRecorder() {
    if (hook_ != nullptr) {
        UnhookWinEvent(hook_);
    }
}

const std::vector<HWND>& FocusRecorder::Focused() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    return focused;
}

void CALLBACK FocusRecorder::OnFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD,
                                     DWORD) {
    if (object == OBJID_CLIENT) {
        focused.push_back(window);
    }
}
