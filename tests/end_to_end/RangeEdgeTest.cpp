// Ranges at the ends of the number range, and field texts that the conversion wraps.
#include "tests/end_to_end/ToolFixture.h"

using namespace automation;

TEST_F(ToolTest, RangeEndingAtLargestNumberStopsAfterItsRow) {
    ASSERT_NO_FATAL_FAILURE(StartRange("2147483640", "2147483647"));
    ASSERT_TRUE(WaitForRunEnd(8, 20000))
        << "the range 2147483640 to 2147483647 did not end with 8 rows; the list holds "
        << tool.RowCount() << " and Stop is " << (tool.IsEnabled(STOP_BUTTON) ? "" : "not ")
        << "enabled";
    ExpectRowsShowNumbers(0, 2147483640, 8);
    EXPECT_EQ(tool.CellText(7, 0), "2147483647");
    EXPECT_EQ(tool.CellText(7, 1), "2147483647") << "2147483647 is a prime";
    EXPECT_EQ(tool.CellText(7, 2), "1, 2147483647");
    EXPECT_TRUE(tool.IsEnabled(START_BUTTON)) << "Start is not enabled again after the run";
    Sleep(500);
    EXPECT_EQ(tool.RowCount(), 8) << "rows keep coming after the largest number";
}

// The fields take digits only; a number beyond 32 bits wraps, which is how a user reaches
// 0 and the negative numbers.
TEST_F(ToolTest, OneZeroAndNegativeNumbersShowTheirFactorsAndDivisors) {
    struct ShownRow {
        int row;
        const char* number;
        const char* factors;
        const char* divisors;
    };
    // 4294967290 converts to -6.
    ASSERT_NO_FATAL_FAILURE(StartRange("4294967290", "1"));
    ASSERT_TRUE(WaitForRunEnd(8, 10000))
        << "the range 4294967290 (-6) to 1 did not end with 8 rows; the list holds "
        << tool.RowCount();
    ExpectRowsShowNumbers(0, -6, 8);
    const ShownRow rows[] = {
        {0, "-6", "-1, 2, 3", "1, 2, 3, 6"},
        {5, "-1", "-1", "1"},
        {6, "0", "", ""},
        {7, "1", "", "1"},
    };
    for (const ShownRow& row : rows) {
        EXPECT_EQ(tool.CellText(row.row, 0), row.number);
        EXPECT_EQ(tool.CellText(row.row, 1), row.factors) << "factors of " << row.number;
        EXPECT_EQ(tool.CellText(row.row, 2), row.divisors) << "divisors of " << row.number;
    }

    // 2147483648 converts to -2147483648, whose magnitude 2^31 no signed number holds.
    ASSERT_TRUE(tool.Click(CLEAR_BUTTON));
    ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() == 0; }, 3000));
    ASSERT_NO_FATAL_FAILURE(StartRange("2147483648", "2147483648"));
    ASSERT_TRUE(WaitForRunEnd(1, 10000))
        << "the range 2147483648 to 2147483648 gave " << tool.RowCount() << " rows, not one";
    std::string twos = "-1";
    std::string powersOfTwo = "1";
    for (int power = 1; power <= 31; power++) {
        twos += ", 2";
        powersOfTwo += ", " + std::to_string(INT64_C(1) << power);
    }
    EXPECT_EQ(tool.CellText(0, 0), "-2147483648");
    EXPECT_EQ(tool.CellText(0, 1), twos);
    EXPECT_EQ(tool.CellText(0, 2), powersOfTwo);
}

TEST_F(ToolTest, FieldTextsThatTypingCannotProduceAreConverted) {
    struct Case {
        const char* first;
        const char* last;
        int32_t firstNumber;
        int rows;
    };
    const Case cases[] = {
        {"-3", "2", -3, 6},                           // a minus sign
        {"12a", "170", 169, 2},                       // a letter counts as digit 49
        {"-2147483648", "-2147483647", INT32_MIN, 2}, // the smallest number
        {"99999999999", "1215752192", 1215752191, 2}, // wraps to a positive number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("first field \"") + c.first + "\", last field \"" + c.last + "\"");
        if (tool.IsEnabled(CLEAR_BUTTON)) {
            ASSERT_TRUE(tool.Click(CLEAR_BUTTON));
            ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() == 0; }, 3000));
        }
        ASSERT_TRUE(tool.SetTextDirectly(FIRST_FIELD, c.first));
        ASSERT_TRUE(tool.SetTextDirectly(LAST_FIELD, c.last));
        ASSERT_TRUE(WaitUntil([&] { return tool.IsEnabled(START_BUTTON); }, 2000))
            << "Start stays disabled";
        ASSERT_TRUE(tool.Click(START_BUTTON));
        ASSERT_TRUE(WaitForRunEnd(c.rows, 10000))
            << "the run did not end with " << c.rows << " rows; the list holds " << tool.RowCount();
        ExpectRowsShowNumbers(0, c.firstNumber, c.rows);
    }
    EXPECT_TRUE(tool.IsRunning());
}
