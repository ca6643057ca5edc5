// Death tests skipped, never passed, where no child process can be started (WebAssembly).
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
#define EXPECT_DEATH(statement, regex) EXPECT_DEATH_IF_SUPPORTED(statement, regex)
#define EXPECT_EXIT(statement, predicate, regex) EXPECT_DEATH_IF_SUPPORTED(statement, regex)
#endif
