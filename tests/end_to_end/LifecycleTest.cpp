// The process as a whole: closing it, its command line, and its appetite while idle.
#include "tests/end_to_end/ToolFixture.h"
#include "tests/window/MessageBoxReader.h"

using namespace automation;

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
