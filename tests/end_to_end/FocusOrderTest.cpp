// Tab and Shift+Tab move the focus among the controls a user can use at that moment; a
// button that turns grey passes it to the control pressed next; Enter presses buttons.
#include "tests/end_to_end/ToolFixture.h"

#include <string.h>
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
    // Start took the focus with the click and passed it to Stop as it turned grey.
    ASSERT_TRUE(WaitUntil([&] { return tool.FocusedControl() == STOP_BUTTON; }, 2000));
    ExpectFocusSequence(tool, "Tab", {RESULT_LIST, STOP_BUTTON, RESULT_LIST});
    ExpectFocusSequence(tool, "shift+Tab", {STOP_BUTTON, RESULT_LIST, STOP_BUTTON});
    EXPECT_TRUE(tool.IsEnabled(STOP_BUTTON)) << "the run ended while Tab was pressed";
    ASSERT_NO_FATAL_FAILURE(StopRun());
}

// A user who works with the keyboard alone: each row's keys, then the control that must
// hold the focus, what the fields show and how many rows the list holds once the tool has
// settled. Typing shows whether the focus came with the field's whole text selected.
TEST_F(ToolTest, KeysLeaveTheFocusWhereAUserWorksNext) {
    const struct {
        const char* keys;
        int focus;
        const char* first;
        const char* last;
        int rows;
        const char* meaning;
    } steps[] = {
        {"", FIRST_FIELD, "1", "100", 0, "at start-up the focus is in Von"},
        {"7", FIRST_FIELD, "7", "100", 0, "with its text selected: typing replaces it"},
        {"Tab 1 2", LAST_FIELD, "7", "12", 0, "Tab selects the next field's whole text"},
        {"shift+Tab 5", FIRST_FIELD, "5", "12", 0, "so does Shift+Tab"},
        {"Tab Tab", START_BUTTON, "5", "12", 0, "on to Start"},
        {"Return", START_BUTTON, "5", "12", 8, "Enter presses Start; Stop passes it back"},
        {"Tab", CLEAR_BUTTON, "5", "12", 8, "Clear with rows in the list"},
        {"Return", FIRST_FIELD, "5", "12", 0, "Enter presses Clear; on to Von"},
        {"3 Return", START_BUTTON, "3", "12", 10, "Enter in a field runs the range"},
        {"space", START_BUTTON, "3", "12", 20, "Space still presses the button"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "keys \"" << step.keys << "\": " << step.meaning);
        if (step.keys[0] != '\0') {
            ASSERT_TRUE(tool.PressKeys(step.keys));
        }
        bool settled = WaitUntil(
            [&] {
                return tool.FocusedControl() == step.focus && tool.RowCount() == step.rows &&
                       !tool.IsEnabled(STOP_BUTTON) &&
                       tool.ControlText(FIRST_FIELD) == step.first &&
                       tool.ControlText(LAST_FIELD) == step.last;
            },
            5000);
        EXPECT_TRUE(settled) << "the focus is on " << NameOf(tool.FocusedControl()) << ", "
                             << tool.RowCount() << " rows";
    }
}

// A tap of Alt or F10 finds no menu bar and leaves the rows coming; Alt+Space opens the
// system menu, whose loop holds the run until the menu mode ends (Escape twice).
TEST_F(ToolTest, NoLoneKeyPausesARun) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    for (const char* keys : {"alt", "F10", "alt+space", "Escape Escape"}) {
        ASSERT_TRUE(tool.PressKeys(keys));
        Sleep(300);
        int before = tool.RowCount();
        Sleep(700);
        bool paused = tool.RowCount() < before + 50;
        EXPECT_EQ(paused, strcmp(keys, "alt+space") == 0) << "rows after " << keys;
    }
    ASSERT_NO_FATAL_FAILURE(StopRun());
}
