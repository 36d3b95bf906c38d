// Tab and Shift+Tab move the focus among the controls a user can use at that moment.
#include "tests/end_to_end/ToolFixture.h"

#include <vector>

using namespace automation;

namespace {
const char* NameOf(int control) {
    switch (control) {
    case RESULT_LIST:
        return "the list";
    case FROM_LABEL:
        return "the label Von";
    case FIRST_FIELD:
        return "the first field";
    case TO_LABEL:
        return "the label bis";
    case LAST_FIELD:
        return "the last field";
    case START_BUTTON:
        return "Start";
    case STOP_BUTTON:
        return "Stop";
    case CLEAR_BUTTON:
        return "Clear";
    default:
        return "no control";
    }
}

// Presses `key` once per entry of `order` and expects the focus on that control after it.
void ExpectFocusSequence(const ToolProcess& tool, const char* key, const std::vector<int>& order) {
    for (int expected : order) {
        int before = tool.FocusedControl();
        ASSERT_TRUE(tool.PressKeys(key));
        EXPECT_TRUE(WaitUntil([&] { return tool.FocusedControl() == expected; }, 2000))
            << key << " from " << NameOf(before) << " puts the focus on "
            << NameOf(tool.FocusedControl()) << " instead of " << NameOf(expected);
    }
}
} // namespace

TEST_F(ToolTest, TabOrderWhileIdleSkipsLabelsAndDisabledButtons) {
    ASSERT_TRUE(tool.Click(FIRST_FIELD));
    ASSERT_TRUE(WaitUntil([&] { return tool.FocusedControl() == FIRST_FIELD; }, 2000));
    // Stop is disabled while idle, Clear while the list is empty.
    ExpectFocusSequence(tool, "Tab", {LAST_FIELD, START_BUTTON, RESULT_LIST, FIRST_FIELD});
    ExpectFocusSequence(tool, "shift+Tab", {RESULT_LIST, START_BUTTON, LAST_FIELD, FIRST_FIELD});
}

TEST_F(ToolTest, TabOrderWithRowsIncludesClear) {
    ASSERT_NO_FATAL_FAILURE(StartRange("1", "3"));
    ASSERT_TRUE(WaitForRunEnd(3, 5000));
    ASSERT_TRUE(tool.Click(FIRST_FIELD));
    ASSERT_TRUE(WaitUntil([&] { return tool.FocusedControl() == FIRST_FIELD; }, 2000));
    ExpectFocusSequence(tool, "Tab",
                        {LAST_FIELD, START_BUTTON, CLEAR_BUTTON, RESULT_LIST, FIRST_FIELD});
    ExpectFocusSequence(tool, "shift+Tab",
                        {RESULT_LIST, CLEAR_BUTTON, START_BUTTON, LAST_FIELD, FIRST_FIELD});
}

TEST_F(ToolTest, TabOrderWhileRunningAlternatesStopAndList) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    // Start took the focus with the click; disabling it left the focus nowhere (Wine's
    // EnableWindow), so Tab begins at the first eligible control.
    ExpectFocusSequence(tool, "Tab", {STOP_BUTTON, RESULT_LIST, STOP_BUTTON});
    ExpectFocusSequence(tool, "shift+Tab", {RESULT_LIST, STOP_BUTTON, RESULT_LIST});
    EXPECT_TRUE(tool.IsEnabled(STOP_BUTTON)) << "the run ended while Tab was pressed";
    ASSERT_NO_FATAL_FAILURE(StopRun());
}
