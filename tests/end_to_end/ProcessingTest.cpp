// Filling the list: the default range, a range of one number, Stop and a second Start,
// Clear, and Stops clicked during runs.
#include "tests/end_to_end/ToolFixture.h"

using namespace automation;

namespace {
struct KnownRow {
    int number;
    const char* factors;
    const char* divisors;
};

const KnownRow KNOWN_ROWS[] = {
    {1, "", "1"},
    {2, "2", "1, 2"},
    {12, "2, 2, 3", "1, 2, 3, 4, 6, 12"},
    {100, "2, 2, 5, 5", "1, 2, 4, 5, 10, 20, 25, 50, 100"},
};
} // namespace

TEST_F(ToolTest, DefaultRangeGivesOneHundredCorrectRows) {
    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitForRunEnd(100, 30000))
        << "Start with the defaults 1 and 100 did not end with 100 rows; the list holds "
        << tool.RowCount();
    for (const KnownRow& row : KNOWN_ROWS) {
        EXPECT_EQ(tool.CellText(row.number - 1, 0), std::to_string(row.number));
        EXPECT_EQ(tool.CellText(row.number - 1, 1), row.factors) << "factors of " << row.number;
        EXPECT_EQ(tool.CellText(row.number - 1, 2), row.divisors) << "divisors of " << row.number;
    }
    ExpectRowsShowNumbers(0, 1, 100);
    EXPECT_TRUE(tool.IsEnabled(START_BUTTON)) << "Start is not enabled again after the run";
}

TEST_F(ToolTest, FirstEqualToLastGivesOneRow) {
    ASSERT_NO_FATAL_FAILURE(StartRange("7", "7"));
    ASSERT_TRUE(WaitForRunEnd(1, 5000))
        << "the range 7 to 7 did not end with one row; the list holds " << tool.RowCount();
    EXPECT_EQ(tool.CellText(0, 0), "7");
    EXPECT_EQ(tool.CellText(0, 1), "7");
    EXPECT_EQ(tool.CellText(0, 2), "1, 7");
}

TEST_F(ToolTest, StopKeepsRowsAndNextStartAppendsFromFirstNumber) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    ASSERT_NO_FATAL_FAILURE(StopRun());
    int kept = tool.RowCount();
    Sleep(500);
    ASSERT_EQ(tool.RowCount(), kept) << "rows keep coming after Stop";
    ExpectRowsShowNumbers(0, 1, kept);

    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() >= kept + 3; }, 5000))
        << "a second Start adds no rows";
    ASSERT_NO_FATAL_FAILURE(StopRun());
    int total = tool.RowCount();
    // The second run starts again at the first number, below the rows of the first.
    ExpectRowsShowNumbers(kept, 1, total - kept);
    ExpectRowsShowNumbers(0, 1, kept);
}

TEST_F(ToolTest, ClearEmptiesTheListAndIsDisabledAgain) {
    ASSERT_NO_FATAL_FAILURE(StartRange("1", "5"));
    ASSERT_TRUE(WaitForRunEnd(5, 5000));
    ASSERT_TRUE(tool.IsEnabled(CLEAR_BUTTON)) << "Clear is disabled although the list has rows";
    ASSERT_TRUE(tool.Click(CLEAR_BUTTON));
    EXPECT_TRUE(WaitUntil([&] { return tool.RowCount() == 0; }, 3000))
        << "Clear leaves " << tool.RowCount() << " rows";
    EXPECT_TRUE(WaitUntil([&] { return !tool.IsEnabled(CLEAR_BUTTON); }, 3000))
        << "Clear stays enabled with an empty list";
    EXPECT_TRUE(tool.IsEnabled(START_BUTTON));

    // The list starts from its first row again.
    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitForRunEnd(5, 5000));
    ExpectRowsShowNumbers(0, 1, 5);
}

TEST_F(ToolTest, EveryStopClickedDuringRunsStopsIt) {
    // Each turn of a run adds a row, so a Stop is always delivered in a turn that also
    // inserts into the list.
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    for (int attempt = 1; attempt <= 10; attempt++) {
        SCOPED_TRACE("Stop click " + std::to_string(attempt));
        if (attempt > 1) {
            int before = tool.RowCount();
            ASSERT_TRUE(tool.Click(START_BUTTON));
            ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() >= before + 2; }, 5000))
                << "Start adds no rows";
        }
        ASSERT_TRUE(tool.Click(STOP_BUTTON));
        ASSERT_TRUE(tool.WaitUntilIdle(3000))
            << "the Stop was lost: rows keep coming and Stop stays enabled";
        int stopped = tool.RowCount();
        Sleep(200);
        ASSERT_EQ(tool.RowCount(), stopped) << "rows keep coming after Stop";
    }
}
