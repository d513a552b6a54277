// The boundary that no exception crosses: every callback of the window
// system runs its work through RunGuarded.
#pragma once

#include <exception>

// Runs `work`. If it throws, passes what the exception says to `report`
// (which must not throw) and returns false. Never throws.
template <class Work, class Report>
bool RunGuarded(Work&& work, Report&& report) noexcept {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report("unknown error");
    }
    return false;
}
