// What start-up has set up by the time the main program runs.
#include "runtime/core/Core.h"

#include <gtest/gtest.h>

namespace {

TEST(StartUp, HeapModuleAndScratchBufferAreReadyForTheMainProgram) {
    EXPECT_EQ(ModuleInstance, GetModuleHandleA(nullptr));
    ASSERT_NE(AppHeap, nullptr);
    ASSERT_NE(ScratchBuffer, nullptr);
    EXPECT_TRUE(HeapValidate(AppHeap, 0, ScratchBuffer)) << "the buffer comes from AppHeap";
    EXPECT_EQ(HeapSize(AppHeap, 0, ScratchBuffer), static_cast<SIZE_T>(SCRATCH_BUFFER_SIZE));
    EXPECT_GE(ScratchCursor, ScratchBuffer);
    EXPECT_LT(ScratchCursor, ScratchBuffer + SCRATCH_BUFFER_SIZE);
}

TEST(StartUp, TheScratchBufferStartsZeroFilled) {
    // Tests before this one may have written near the start; the tail is untouched.
    const char* tail = ScratchBuffer + SCRATCH_BUFFER_SIZE / 2;
    for (int32_t i = 0; i < SCRATCH_BUFFER_SIZE / 2 - 16; i++) {
        ASSERT_EQ(tail[i], 0) << "byte " << i << " of the buffer's second half";
    }
}

} // namespace
