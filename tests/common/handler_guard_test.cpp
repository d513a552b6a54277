// No exception leaves a callback: what it said reaches the report instead.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "common/handler_guard.h"

namespace {

TEST(RunGuarded, RunsTheWorkAndReportsNothingWhenItSucceeds) {
    int runs = 0;
    std::string reported = "none";
    EXPECT_TRUE(RunGuarded([&] { ++runs; }, [&](const char* what) { reported = what; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(reported, "none");
}

TEST(RunGuarded, ReportsWhatAStandardExceptionSays) {
    std::string reported;
    EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("registry gone"); },
                            [&](const char* what) { reported = what; }));
    EXPECT_EQ(reported, "registry gone");
}

TEST(RunGuarded, ReportsAnythingElseThatIsThrown) {
    std::string reported;
    EXPECT_FALSE(RunGuarded([] { throw 42; }, [&](const char* what) { reported = what; }));
    EXPECT_EQ(reported, "unknown error");
}

}  // namespace
