// Which controls a user can use while the tool is idle and while it runs.
#include "tests/end_to_end/ToolFixture.h"

using namespace automation;

namespace {
struct EnabledStates {
    bool firstField, lastField, start, stop, clear, list;
};

void ExpectEnabledStates(const ToolProcess& tool, const EnabledStates& expected, const char* when) {
    EXPECT_EQ(tool.IsEnabled(FIRST_FIELD), expected.firstField) << "first field " << when;
    EXPECT_EQ(tool.IsEnabled(LAST_FIELD), expected.lastField) << "last field " << when;
    EXPECT_EQ(tool.IsEnabled(START_BUTTON), expected.start) << "Start " << when;
    EXPECT_EQ(tool.IsEnabled(STOP_BUTTON), expected.stop) << "Stop " << when;
    EXPECT_EQ(tool.IsEnabled(CLEAR_BUTTON), expected.clear) << "Clear " << when;
    EXPECT_EQ(tool.IsEnabled(RESULT_LIST), expected.list) << "the list " << when;
}
} // namespace

TEST_F(ToolTest, IdleWithoutRowsOffersFieldsStartAndList) {
    ExpectEnabledStates(tool, {true, true, true, false, false, true}, "after start-up");
    EXPECT_TRUE(tool.IsEnabled(FROM_LABEL));
    EXPECT_TRUE(tool.IsEnabled(TO_LABEL));
}

TEST_F(ToolTest, StartIsDisabledWhileFirstIsGreaterThanLast) {
    ASSERT_TRUE(tool.TypeIntoField(FIRST_FIELD, "101"));
    ASSERT_TRUE(WaitUntil([&] { return !tool.IsEnabled(START_BUTTON); }, 2000))
        << "Start stays enabled for the range 101 to 100";
    // A real click on the disabled button must not start anything.
    ASSERT_TRUE(tool.Click(START_BUTTON));
    Sleep(500);
    EXPECT_EQ(tool.RowCount(), 0) << "a click on the disabled Start added rows";
    EXPECT_FALSE(tool.IsEnabled(STOP_BUTTON)) << "a click on the disabled Start began a run";

    ASSERT_TRUE(tool.TypeIntoField(FIRST_FIELD, "100"));
    EXPECT_TRUE(WaitUntil([&] { return tool.IsEnabled(START_BUTTON); }, 2000))
        << "Start stays disabled after first <= last again";

    ASSERT_TRUE(tool.TypeIntoField(LAST_FIELD, "99"));
    EXPECT_TRUE(WaitUntil([&] { return !tool.IsEnabled(START_BUTTON); }, 2000))
        << "Start stays enabled after the last number drops below the first";
    ASSERT_TRUE(tool.TypeIntoField(LAST_FIELD, "1000"));
    EXPECT_TRUE(WaitUntil([&] { return tool.IsEnabled(START_BUTTON); }, 2000))
        << "Start stays disabled after first <= last again";
}

TEST_F(ToolTest, WhileRunningOnlyStopAndListAreEnabled) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    ExpectEnabledStates(tool, {false, false, false, true, false, true}, "during a run");
    ASSERT_NO_FATAL_FAILURE(StopRun());
    ExpectEnabledStates(tool, {true, true, true, false, true, true}, "after Stop with rows");
}
