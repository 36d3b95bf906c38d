// Ranges at the ends of the number range, and field texts that are numbers and those that
// are none.
#include "tests/end_to_end/ToolFixture.h"
#include "tests/window/MessageBoxReader.h"

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

// Typing takes digits only; a negative number comes with a paste.
TEST_F(ToolTest, OneZeroAndNegativeNumbersShowTheirFactorsAndDivisors) {
    struct ShownRow {
        int row;
        const char* number;
        const char* factors;
        const char* divisors;
    };
    ASSERT_TRUE(tool.PasteIntoField(FIRST_FIELD, "-6"));
    ASSERT_TRUE(tool.TypeIntoField(LAST_FIELD, "1"));
    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitForRunEnd(8, 10000))
        << "the range -6 to 1 did not end with 8 rows; the list holds " << tool.RowCount();
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

    // -2147483648, whose magnitude 2^31 no signed number holds.
    ASSERT_TRUE(tool.Click(CLEAR_BUTTON));
    ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() == 0; }, 3000));
    ASSERT_TRUE(tool.PasteIntoField(FIRST_FIELD, "-2147483648"));
    ASSERT_TRUE(tool.PasteIntoField(LAST_FIELD, "-2147483648"));
    ASSERT_TRUE(tool.Click(START_BUTTON));
    ASSERT_TRUE(WaitForRunEnd(1, 10000))
        << "the range -2147483648 to -2147483648 gave " << tool.RowCount() << " rows, not one";
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

// Start runs the number a field shows, blanks that a paste brings along aside (a web page's
// non-breaking spaces too); for a field that holds no number (full-width or Arabic-Indic
// digits among them) it names the field in a message and runs nothing, quoting what the
// code page cannot show as bullets.
TEST_F(ToolTest, StartRunsTheNumbersTheFieldsShowOrNamesTheFieldThatHoldsNone) {
    const std::string zeros = std::string(6000, '0') + "7";
    const struct {
        const char* first; // both in UTF-8
        const char* last;
        bool pasted;         // with Ctrl+V, else set directly
        std::string message; // its first sentence; none when the range 40 to 42 runs
        int field;           // the field named, which has the focus after the message
    } cases[] = {
        {"\u00a040", " 42\u00a0", true, "", 0},
        {"\uff11\uff12", "50", true, "Im Feld \"Von\" steht \"\u2022\u2022\".", FIRST_FIELD},
        {"1", "\u0663", true, "Im Feld \"bis\" steht \"\u2022\".", LAST_FIELD},
        {"1 000", "5", true, "Im Feld \"Von\" steht \"1 000\".", FIRST_FIELD},
        {"1", "3000000000", true, "Im Feld \"bis\" steht \"3000000000\".", LAST_FIELD},
        {"", "12a", false, "Im Feld \"Von\" steht nichts.", FIRST_FIELD},
        {"1", zeros.c_str(), false, "Im Feld \"bis\" steht \"" + zeros.substr(0, 40) + "...\".",
         LAST_FIELD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_TRUE(c.pasted ? tool.PasteIntoField(FIRST_FIELD, c.first)
                             : tool.SetTextDirectly(FIRST_FIELD, c.first));
        ASSERT_TRUE(c.pasted ? tool.PasteIntoField(LAST_FIELD, c.last)
                             : tool.SetTextDirectly(LAST_FIELD, c.last));
        ASSERT_TRUE(WaitUntil([&] { return tool.IsEnabled(START_BUTTON); }, 2000))
            << "Start stays disabled";
        ASSERT_TRUE(tool.Click(START_BUTTON));
        MessageBoxReader::Box box;
        HWND shown = nullptr;
        bool messageShown = WaitUntil(
            [&] { return (shown = MessageBoxReader::FindBox(tool.ThreadId(), &box)) != nullptr; },
            c.message.empty() ? 1000 : 5000);
        if (c.message.empty()) {
            EXPECT_FALSE(messageShown) << "a message came with the run: " << box.text;
            ASSERT_TRUE(WaitForRunEnd(3, 10000)) << "the list holds " << tool.RowCount() << " rows";
            ExpectRowsShowNumbers(0, 40, 3);
            continue;
        }
        ASSERT_TRUE(messageShown) << "no message says why Start ran nothing";
        EXPECT_EQ(box.owner, tool.Window()) << "the message is not the tool window's";
        EXPECT_EQ(box.text,
                  AnsiOf(c.message) + " Erlaubt sind ganze Zahlen von -2147483648 bis 2147483647.");
        ASSERT_TRUE(tool.PressKeys("Return"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(shown); }, 3000)) << "Enter left the message";
        EXPECT_TRUE(WaitUntil([&] { return tool.FocusedControl() == c.field; }, 2000))
            << "the focus is not in the field named but on control " << tool.FocusedControl();
        EXPECT_EQ(SendMessageA(tool.Control(c.field), EM_GETSEL, 0, 0),
                  MAKELONG(0, tool.ControlText(c.field).size()))
            << "the field's text is not selected whole, so typing would not replace it";
        Sleep(300);
        EXPECT_EQ(tool.RowCount(), 3) << "Start with a field that holds no number added rows";
    }
}
