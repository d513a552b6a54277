// The boundary that no exception crosses: every callback of the window
// system runs its work through RunGuarded.
#pragma once

#include <exception>

// Runs `work`. If it throws, passes what the exception says to `report`
// (which must not throw) and returns false. Never throws.
template <class Work, class Report>
bool RunGuarded(Work&& work, Report&& report) noexcept {
    // Only the handlers set the flag, and one return follows them: however
    // the work is inlined (it may always throw, or never), no statement
    // becomes unreachable, which MSVC would warn of (C4702).
    bool failed = false;
    try {
        work();
    } catch (const std::exception& error) {
        failed = true;
        report(error.what());
    } catch (...) {
        failed = true;
        report("unknown error");
    }
    return !failed;
}
