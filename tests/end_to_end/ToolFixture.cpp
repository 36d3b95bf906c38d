#include "tests/end_to_end/ToolFixture.h"

#include "app/App.h"
#include "runtime/core/Core.h"

using namespace automation;

namespace {
constexpr char SEPARATOR[] = ", ";

std::string TakeScratchText(char* mark, char* text) {
    std::string copy = text;
    ReleaseScratch(mark);
    return copy;
}
} // namespace

std::string ExpectedFactorText(int32_t number) {
    char* mark = MarkScratch();
    return TakeScratchText(mark, PrimeFactorText(number, SEPARATOR));
}

std::string ExpectedDivisorText(int32_t number) {
    char* mark = MarkScratch();
    return TakeScratchText(mark, DivisorText(number, SEPARATOR));
}

void ToolTest::SetUp() {
    ASSERT_NO_FATAL_FAILURE(displayTurn.Take());
    ASSERT_TRUE(tool.Launch(TOOL_EXECUTABLE, Arguments(), 20000))
        << "the tool's window with its eight controls did not appear";
    ASSERT_TRUE(tool.WaitUntilIdle(5000)) << "the tool never settled into its idle state";
    ASSERT_TRUE(tool.IsEnabled(START_BUTTON)) << "Start is disabled for the range 1 to 100";
}

void ToolTest::TearDown() {
    tool.Kill();
    displayTurn.Give();
}

void ToolTest::StartRange(const char* first, const char* last) {
    ASSERT_TRUE(tool.TypeIntoField(FIRST_FIELD, first))
        << "typing " << first << " into the first field did not show it there";
    ASSERT_TRUE(tool.TypeIntoField(LAST_FIELD, last))
        << "typing " << last << " into the last field did not show it there";
    ASSERT_TRUE(WaitUntil([&] { return tool.IsEnabled(START_BUTTON); }, 2000))
        << "Start stays disabled for the range " << first << " to " << last;
    ASSERT_TRUE(tool.Click(START_BUTTON));
}

void ToolTest::StartLongRun() {
    int before = tool.RowCount();
    ASSERT_NO_FATAL_FAILURE(StartRange("1", "1000000"));
    ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() >= before + 3; }, 5000))
        << "no rows appear after a click on Start";
    ASSERT_TRUE(tool.IsEnabled(STOP_BUTTON)) << "Stop is not enabled during a run";
}

void ToolTest::StopRun() {
    ASSERT_TRUE(tool.Click(STOP_BUTTON));
    ASSERT_TRUE(tool.WaitUntilIdle(3000)) << "the run goes on after a click on Stop";
    ASSERT_TRUE(tool.IsEnabled(START_BUTTON)) << "Start is not enabled again after Stop";
}

bool ToolTest::WaitForRunEnd(int rows, DWORD timeoutMs) {
    if (!WaitUntil([&] { return tool.RowCount() >= rows && !tool.IsEnabled(STOP_BUTTON); },
                   timeoutMs)) {
        return false;
    }
    Sleep(300);
    return tool.RowCount() == rows && !tool.IsEnabled(STOP_BUTTON);
}

void ToolTest::ExpectRowsShowNumbers(int firstRow, int32_t firstNumber, int count) {
    int wrongRows = 0;
    for (int i = 0; i < count && wrongRows < 5; i++) {
        int32_t number = static_cast<int32_t>(static_cast<uint32_t>(firstNumber) + i);
        std::string shown[3] = {tool.CellText(firstRow + i, 0), tool.CellText(firstRow + i, 1),
                                tool.CellText(firstRow + i, 2)};
        std::string expected[3] = {std::to_string(number), ExpectedFactorText(number),
                                   ExpectedDivisorText(number)};
        for (int column = 0; column < 3; column++) {
            if (shown[column] != expected[column]) {
                ADD_FAILURE() << "row " << firstRow + i + 1 << " (for " << number << ") shows \""
                              << shown[column] << "\" in column " << column << " instead of \""
                              << expected[column] << "\"";
                wrongRows++;
                break;
            }
        }
    }
}
