// A heap that cannot supply a block ends the process with a message; no
// caller ever writes through a null block. (Host: the stand-in fails on demand.)
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(HeapFailureDeathTest, StringBlockEndsTheProcess) {
    TestRuntimeStart();
    EXPECT_EXIT(
        {
            HostFailHeapAllocAfter(1);
            StrAlloc(10);
        },
        ::testing::ExitedWithCode(RT_EXIT_OUT_OF_MEMORY), "");
}

TEST(HeapFailureDeathTest, RegistryGrowthEndsTheProcess) {
    TestRuntimeStart();
    EXPECT_EXIT(
        {
            HostFailHeapAllocAfter(2);  // the block succeeds, the re-size fails
            StrAlloc(10);
        },
        ::testing::ExitedWithCode(RT_EXIT_OUT_OF_MEMORY), "");
}

TEST(HeapFailureDeathTest, MessageGoesToTheDebuggerChannel) {
    TestRuntimeStart();
    HostDebugOutputClear();
    // Outside the death test: the simulated process records the exit.
    HostProcessBegin();
    HostFailHeapAllocAfter(1);
    bool unwound = false;
    try {
        StrAlloc(10);
    } catch (...) {
        unwound = true;
    }
    HostFailHeapAllocAfter(0);
    EXPECT_TRUE(unwound);
    EXPECT_NE(HostDebugOutput().find("heap"), std::string::npos);
    HostProcessEnd();
}

}  // namespace
