// The process as a whole: closing it, its command line, and its appetite while idle.
#include "tests/end_to_end/ToolFixture.h"
#include "tests/window/MessageBoxReader.h"

#include <commctrl.h>

#include <utility>
#include <vector>

using namespace automation;

namespace {
// Rows first..last of a selection.
using Runs = std::vector<std::pair<int, int>>;

// "" when the list's selection, read through Win32, is exactly `runs` and `focused` has the
// focus: the count, and the next selected row after each run's start and after its end.
std::string SelectionMismatch(const ToolProcess& tool, const Runs& runs, int focused) {
    LRESULT after = -1;
    LRESULT count = 0;
    for (const auto& [first, last] : runs) {
        LRESULT next = tool.ListAnswer(LVM_GETNEXTITEM, after, LVNI_SELECTED);
        if (next != first) {
            return "the next selected row after " + std::to_string(after) + " is " +
                   std::to_string(next) + ", not " + std::to_string(first);
        }
        after = last;
        count += last - first + 1;
    }
    LRESULT next = tool.ListAnswer(LVM_GETNEXTITEM, after, LVNI_SELECTED);
    LRESULT selected = tool.ListAnswer(LVM_GETSELECTEDCOUNT, 0, 0);
    LRESULT focus = tool.ListAnswer(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    if (next != -1 || selected != count || focus != focused) {
        return "after row " + std::to_string(after) + " row " + std::to_string(next) +
               " is selected, " + std::to_string(selected) + " rows in all, row " +
               std::to_string(focus) + " focused";
    }
    return "";
}

// The selection gestures on rows 1..300000 (rows 0..299999), each changing any number of
// rows, in turn from the selection the one before left.
void ExpectSelectionGestures(const ToolProcess& tool) {
    constexpr int LAST = 299999;
    const int page = static_cast<int>(tool.ListAnswer(LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(page, 5);
    struct Input {
        int row; // the row clicked; -1 for keys
        const char* input;
    };
    const struct {
        const char* what;
        std::vector<Input> inputs;
        Runs selected;
        int focused;
    } gestures[] = {
        {"a click on row 2", {{2, "click 1"}}, {{2, 2}}, 2},
        {"Shift+End", {{-1, "shift+End"}}, {{2, LAST}}, LAST},
        {"Shift+Home", {{-1, "shift+Home"}}, {{0, 2}}, 0},
        {"Ctrl+A", {{-1, "ctrl+a"}}, {{0, LAST}}, 0},
        {"a click on row 3 after Ctrl+A", {{3, "click 1"}}, {{3, 3}}, 3},
        {"Ctrl+A, Shift+Down", {{-1, "ctrl+a shift+Down"}}, {{3, 4}}, 4},
        {"Ctrl+A, Down", {{-1, "ctrl+a Down"}}, {{5, 5}}, 5},
        {"Shift+Page Down", {{-1, "shift+Next"}}, {{5, page - 1}}, page - 1},
        {"Shift+Page Up", {{-1, "shift+Prior"}}, {{0, 5}}, 0},
        {"Ctrl+Down twice, Ctrl+Space",
         {{-1, "ctrl+Down ctrl+Down ctrl+space"}},
         {{0, 1}, {3, 5}},
         2},
        {"Ctrl+End, Ctrl+Space",
         {{-1, "ctrl+End ctrl+space"}},
         {{0, 1}, {3, 5}, {LAST, LAST}},
         LAST},
        {"Ctrl+A, Ctrl+click on the row above the last",
         {{-1, "ctrl+a"}, {LAST - 1, "keydown ctrl click 1 keyup ctrl"}},
         {{0, LAST - 2}, {LAST, LAST}},
         LAST - 1},
        {"Shift+click nine rows up",
         {{LAST - 10, "keydown shift click 1 keyup shift"}},
         {{LAST - 10, LAST - 1}},
         LAST - 10},
        {"Home, typing 7", {{-1, "Home 7"}}, {{6, 6}}, 6},
        {"Ctrl+A, a right click on a selected row",
         {{-1, "ctrl+a"}, {8, "click 3"}, {-1, "Escape"}},
         {{0, LAST}},
         8},
        {"Home, a right click on an unselected row",
         {{-1, "Home"}, {3, "click 3"}, {-1, "Escape"}},
         {{3, 3}},
         3},
    };
    for (const auto& gesture : gestures) {
        SCOPED_TRACE(gesture.what);
        for (const Input& input : gesture.inputs) {
            ASSERT_TRUE(input.row >= 0 ? tool.ClickRow(input.row, input.input)
                                       : tool.PressKeys(input.input));
        }
        std::string mismatch;
        EXPECT_TRUE(WaitUntil(
            [&] {
                mismatch = SelectionMismatch(tool, gesture.selected, gesture.focused);
                return mismatch.empty();
            },
            10000))
            << mismatch;
    }
}
} // namespace

TEST_F(ToolTest, ClosingWhileIdleEndsTheProcessWithExitCodeZero) {
    ASSERT_TRUE(tool.ClickCloseBox());
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.WaitForExit(3000, &exitCode)) << "the tool is still running 3 s after close";
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(ToolTest, ClosingDuringARunEndsTheProcessPromptlyWithExitCodeZero) {
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    double clicked = NowMs();
    ASSERT_TRUE(tool.ClickCloseBox());
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.WaitForExit(3000, &exitCode))
        << "the tool is still running 3 s after its close box was clicked during a run";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_LT(NowMs() - clicked, 3000.0);
}

TEST_F(ToolTest, ClearAndTheCloseBoxTakeEffectWithThreeHundredThousandRows) {
    for (bool close : {false, true}) {
        ASSERT_NO_FATAL_FAILURE(StartRange("1", "300000"));
        ASSERT_TRUE(WaitForRunEnd(300000, 300000)) << "the range 1 to 300000 did not end";
        EXPECT_EQ(tool.CellText(299999, 2), ExpectedDivisorText(300000));
        if (!close) {
            ASSERT_NO_FATAL_FAILURE(ExpectSelectionGestures(tool));
            // Every row selected, a run, a click that deselects them, then Stop.
            ASSERT_TRUE(tool.PressKeys("ctrl+a"));
            ASSERT_NO_FATAL_FAILURE(StartRange("1", "2000000000"));
            ASSERT_TRUE(WaitUntil([&] { return tool.RowCount() > 301000; }, 10000));
            ASSERT_TRUE(tool.ClickRow(1, "click 1"));
            ASSERT_TRUE(tool.Click(STOP_BUTTON));
            EXPECT_TRUE(tool.WaitUntilIdle(5000))
                << "Stop did not take effect within 5 s of a click that deselected the rows";
            EXPECT_EQ(SelectionMismatch(tool, {{1, 1}}, 1), "");
            ASSERT_TRUE(tool.Click(CLEAR_BUTTON));
            EXPECT_TRUE(WaitUntil([&] { return tool.RowCount() == 0; }, 10000))
                << "300000 rows are still in the list 10 s after Clear";
            EXPECT_TRUE(WaitUntil([&] { return !tool.IsEnabled(CLEAR_BUTTON); }, 3000));
            continue;
        }
        ASSERT_TRUE(tool.ClickCloseBox());
        DWORD exitCode = 1234;
        ASSERT_TRUE(tool.WaitForExit(10000, &exitCode))
            << "the tool is still running 10 s after its close box was clicked";
        EXPECT_EQ(exitCode, 0u);
    }
}

TEST_F(ToolTest, ACloseRequestSentByAnotherProgramEndsTheIdleTool) {
    // Sent, not posted: the tool handles it while it waits for input, inside a poll that
    // then finds its queue empty. The start-up's last messages must be gone by then.
    Sleep(500);
    DWORD_PTR result = 0;
    ASSERT_NE(
        SendMessageTimeoutA(tool.Window(), WM_CLOSE, 0, 0, SMTO_NORMAL, READ_TIMEOUT_MS, &result),
        0)
        << "the tool did not take the close request";
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.WaitForExit(3000, &exitCode))
        << "the tool is still running 3 s after another program asked it to close";
    EXPECT_EQ(exitCode, 0u);
}

// As Windows' "End task" asks a program whose message box is open: the box takes the
// request in its own loop, and the field that gets the focus back afterwards reports it.
TEST_F(ToolTest, ACloseRequestWhileTheFieldMessageIsOpenEndsTheToolAfterOK) {
    ASSERT_TRUE(tool.PasteIntoField(LAST_FIELD, "12a"));
    ASSERT_TRUE(tool.Click(START_BUTTON));
    MessageBoxReader::Box box;
    HWND shown = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (shown = MessageBoxReader::FindBox(tool.ThreadId(), &box)) != nullptr; },
        5000))
        << "no message says that \"bis\" holds no number";
    ASSERT_TRUE(PostMessageA(tool.Window(), WM_CLOSE, 0, 0));
    // Posted behind the close request to the same thread's queue, so the box's loop takes
    // the request first.
    ASSERT_TRUE(PostMessageA(shown, WM_COMMAND, IDOK, 0));
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.WaitForExit(3000, &exitCode))
        << "the close request made while the message was open is lost: the tool still runs 3 s "
           "after OK";
    EXPECT_EQ(exitCode, 0u);
}

class ToolWithArgumentsTest : public ToolTest {
  protected:
    const char* Arguments() const override {
        return "5 7 /von=3 --bis 9 \"Start\"";
    }
};

TEST_F(ToolWithArgumentsTest, ArgumentsHaveNoEffect) {
    EXPECT_EQ(tool.Text(tool.Window()), "Primfaktoren und Teiler");
    EXPECT_EQ(tool.ControlText(FIRST_FIELD), "1") << "the arguments changed the first field";
    EXPECT_EQ(tool.ControlText(LAST_FIELD), "100") << "the arguments changed the last field";
    Sleep(300);
    EXPECT_EQ(tool.RowCount(), 0) << "the arguments started a run";
    ASSERT_TRUE(tool.Click(START_BUTTON));
    EXPECT_TRUE(WaitForRunEnd(100, 30000))
        << "with arguments, Start does not give the default 100 rows";
    EXPECT_EQ(tool.CellText(0, 0), "1");
    EXPECT_EQ(tool.CellText(99, 0), "100");
    ASSERT_TRUE(tool.ClickCloseBox());
    DWORD exitCode = 1234;
    ASSERT_TRUE(tool.WaitForExit(3000, &exitCode));
    EXPECT_EQ(exitCode, 0u) << "the arguments changed the exit code";
}

TEST_F(ToolTest, IdleToolUsesAlmostNoProcessorTime) {
    // A loop that polls without waiting burns about 3 s of processor time in 3 s.
    Sleep(500);
    double before = tool.ProcessorSeconds();
    Sleep(3000);
    double used = tool.ProcessorSeconds() - before;
    EXPECT_LT(used, 0.5) << "the idle tool used " << used << " s of processor time in 3 s";

    // And it still answers at once when something happens.
    ASSERT_TRUE(tool.TypeIntoField(LAST_FIELD, "0"));
    EXPECT_TRUE(WaitUntil([&] { return !tool.IsEnabled(START_BUTTON); }, 1000))
        << "the idle tool did not react to typing in the last field";
}

TEST_F(ToolTest, RunningToolKeepsAProcessorBusy) {
    // The measurement itself must see processor time, or the idle bound proves nothing.
    ASSERT_NO_FATAL_FAILURE(StartLongRun());
    double before = tool.ProcessorSeconds();
    Sleep(2000);
    double used = tool.ProcessorSeconds() - before;
    EXPECT_GT(used, 0.2) << "a running tool seems to use no processor time: " << used << " s";
    ASSERT_NO_FATAL_FAILURE(StopRun());
}
