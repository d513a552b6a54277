// Starts the real program and looks at and presses its windows from another
// process, as a user or an accessibility tool would.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/test_handles.h"

// Whether this process runs under Wine.
bool UnderWine();

// Whether the suites that start the real program, which write the real
// per-user and machine-wide titles, are allowed to: in Wine's test prefix,
// or on a throwaway Windows machine whose environment sets
// TITLEBAR_E2E_WRITES_REAL_REGISTRY=1. They run only once what they change
// is saved (MayWriteRealRegistry, in title_values.h).
bool RealRegistryPermitted();
// Whether the machine asks for every test to run
// (TITLEBAR_E2E_WRITES_REAL_REGISTRY=1): a test that cannot then fails.
bool EveryTestMustRun();
// Whether this process's windows reach a person: not in session 0, on a
// window station that is shown. The window suites need such a desktop.
bool OnShownDesktop();
inline constexpr char kNoShownDesktop[] =
    "needs a desktop a person could see: this runs in session 0 or on a window station "
    "that is not shown";

inline constexpr char kRealRegistryRefused[] =
    "the program writes the real registry: run only under Wine, or on a throwaway machine "
    "with TITLEBAR_E2E_WRITES_REAL_REGISTRY=1, once the settings it changes are saved";

// The environment that lets each test's window take the foreground: the
// foreground lock timeout is 0 from before the first input to the end, and
// then what it was.
testing::Environment* NewForegroundUnlocked();

// Skips the test unless `ready`; where every test must run, fails it with
// the reason instead, so that nothing skips silently there.
#define TITLEBAR_REQUIRE(ready, why) \
    if (!(ready)) {                  \
        if (EveryTestMustRun()) {    \
            GTEST_FAIL() << (why);   \
        }                            \
        GTEST_SKIP() << (why);       \
    }

// The build folder of a cross build, with a trailing backslash: the test
// programs sit one level below it.
std::wstring BuildFolder();

// The program under test.
std::wstring ProgramPath();
// The same program with a manifest that asks for no UTF-8 code page.
std::wstring LegacyCodePageProgramPath();

// The bytes of a resource of a program or DLL, as the loader finds them;
// empty when there is none.
std::string ResourceBytes(const std::wstring& module, WORD type, WORD id);

// The languages of each block of a program's string tables, by block.
std::map<WORD, std::set<LANGID>> StringTableLanguages(const std::wstring& module);

// Polls `condition` until it holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A child window as the driver sees it: rectangle in the parent's client
// coordinates.
struct ChildInfo {
    HWND window;
    int id;
    std::wstring className;
    std::wstring text;
    RECT rect;
    LONG style;
};

// The children of `parent`, in Z order, which is the tab order.
std::vector<ChildInfo> Children(HWND parent);

struct MessageBoxInfo {
    HWND window;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
    bool hasIcon;
};

// A visible message box of any process with this caption, once one appears.
std::optional<MessageBoxInfo> WaitForMessageBoxTitled(
    const std::wstring& caption, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The helper that starts a program as Explorer, a service or a cmd prompt
// does (see starter.cpp).
std::wstring StarterPath();

// An anonymous pipe whose write end a started program inherits.
class Pipe {
public:
    Pipe();
    HANDLE Write() const { return write_.get(); }
    // Leaves the write end without a reader.
    void CloseRead() { read_.reset(); }
    // Closes this process's write end and reads until the program's is
    // closed too.
    std::string ReadAll();

private:
    UniqueFileHandle read_;
    UniqueFileHandle write_;
};

// Standard handles for a program that a script starts.
struct Redirect {
    HANDLE out;
    HANDLE err;
};

class RunningProgram {
public:
    // Starts `path` with `arguments`, its standard output and error going
    // where `redirect` says when it is given.
    explicit RunningProgram(const std::wstring& path, const std::wstring& arguments = {},
                            const Redirect* redirect = nullptr);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    // Why CreateProcess failed, when it did.
    DWORD StartError() const { return startError_; }
    HANDLE Process() const { return process_.get(); }
    DWORD ProcessId() const { return processId_; }

    // The visible top-level window with this caption, once it appears.
    HWND WaitForWindow(const std::wstring& caption);
    // A message box of the program's, once one appears.
    std::optional<MessageBoxInfo> WaitForMessageBox(
        std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // The program's top-level windows of a class (any class when empty),
    // visible or not.
    std::vector<HWND> TopLevelWindows(const std::wstring& className) const;
    // Where the keyboard focus is in the program's UI thread.
    HWND Focus() const;

    // The exit code once the program has ended, or nullopt on a time-out.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool Running() const;

private:
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    DWORD startError_ = ERROR_SUCCESS;
};

// The colours that `window` draws in a rectangle of its client area, row by
// row, as COLORREFs; none when the rectangle is not inside it.
std::vector<COLORREF> ClientPixels(HWND window, const RECT& rect);

// Presses a button the way a click does, without waiting for what it starts.
void Press(HWND button);
// Presses the OK button of a message box.
void Dismiss(const MessageBoxInfo& box);
// Sends a key press to a window through the program's message loop.
void PostKey(HWND window, UINT virtualKey);
// Types keys as the keyboard does, to `window`, which it first brings to
// the foreground: each pressed in turn, then all released in reverse
// (Shift+Tab is {VK_SHIFT, VK_TAB}). Fails when Windows keeps the
// foreground elsewhere.
testing::AssertionResult TypeKeys(HWND window, std::initializer_list<WORD> keys);
// Under Wine, an X focus event that comes late can hand the foreground to
// Wine's desktop after a window was activated; this activates the window
// again, as the user's click would, and says whether it had to.
bool TakeBackForegroundFromWinesDesktop(HWND window);

// What a screen reader reads as a window's name, through the accessibility
// interface.
std::wstring AccessibleName(HWND window);

// The windows of one process that take the keyboard focus, in turn, as a
// screen reader hears of them (EVENT_OBJECT_FOCUS). One at a time.
class FocusRecorder {
public:
    explicit FocusRecorder(DWORD processId);
    ~FocusRecorder();
    FocusRecorder(const FocusRecorder&) = delete;
    FocusRecorder& operator=(const FocusRecorder&) = delete;

    // Those so far; the events come through this thread's messages, which
    // this handles.
    const std::vector<HWND>& Focused();

private:
    static void CALLBACK OnFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD,
                                 DWORD);
    HWINEVENTHOOK hook_;
};
