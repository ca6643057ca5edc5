// Death tests where no child process can be started (WebAssembly under node): there each one
// is skipped, so that it counts as skipped, never as passed.
#pragma once

#include <gtest/gtest.h>

/// The fixture of every death test, as `using NameDeathTest = ChildProcessTest;`.
class ChildProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
#if !GTEST_HAS_DEATH_TEST
        GTEST_SKIP() << "a death test needs a child process, which this platform cannot start";
#endif
    }
};

#if !GTEST_HAS_DEATH_TEST
// Compiled there but never run, since SetUp skips the test first.
#define EXPECT_DEATH(statement, regex) EXPECT_DEATH_IF_SUPPORTED(statement, regex)
#define EXPECT_EXIT(statement, predicate, regex) EXPECT_DEATH_IF_SUPPORTED(statement, regex)
#endif
