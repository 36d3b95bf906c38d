// The turn of the processing loop, run in this process against the real main window: how a
// run ends, and a Stop that a list's own notification must not overtake.
#include "app/App.h"
#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"
#include "tests/window/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {
WNDPROC listViewProcedure;

// A list that reports an item change whenever a row is inserted, as a list view may.
LRESULT CALLBACK ReportItemChangeOnInsertion(HWND list, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    LRESULT result = CallWindowProcA(listViewProcedure, list, message, wParam, lParam);
    if (message == LVM_INSERTITEMA && result >= 0) {
        NMLISTVIEW change = {};
        change.hdr.hwndFrom = list;
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = static_cast<int>(result);
        change.uChanged = LVIF_STATE;
        SendMessageA(GetParent(list), WM_NOTIFY, change.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&change));
    }
    return result;
}

class ProcessingTurnTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(displayTurn.Take());
        CloseAllWindows();
        InitControlRuntime();
        InitWindowRuntime();
        ClearApplicationState();
        ASSERT_TRUE(CreateMainWindow());
        // The first turns set the idle states and take the creation's messages.
        RunTurns(20);
    }
    void TearDown() override {
        CloseAllWindows();
        DispatchWaitingMessages();
        displayTurn.Give();
    }

    static void DispatchWaitingMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }

    static HWND Handle(int32_t number) {
        return LookupControlRecord(number)->handle;
    }
    static bool IsEnabled(int32_t number) {
        return IsWindowEnabled(Handle(number)) != FALSE;
    }
    static int32_t Rows() {
        return CountControlRows(RESULT_LIST);
    }
    // The button presses itself when the poll dispatches the message, as after a click.
    static void Press(int32_t button) {
        PostMessageA(Handle(button), BM_CLICK, 0, 0);
    }
    static void SetRange(const char* first, const char* last) {
        SetWindowTextA(Handle(FIRST_FIELD), first);
        SetWindowTextA(Handle(LAST_FIELD), last);
    }
    // Turns as the main program runs them, except that an idle turn does not wait.
    static TurnOutcome RunTurns(int turns) {
        TurnOutcome outcome = TurnOutcome::Busy;
        for (int turn = 0; turn < turns; turn++) {
            outcome = RunTurn();
        }
        return outcome;
    }

    DisplayTurn displayTurn;
};

TEST_F(ProcessingTurnTest, TheTurnThatEndsARunLeavesOneMoreTurnToShowTheIdleState) {
    SetRange("1", "3");
    RunTurns(5);
    Press(START_BUTTON);
    for (int turns = 0; Rows() < 2 && turns < 100; turns++) {
        RunTurn();
    }
    ASSERT_EQ(Rows(), 2) << "no rows after Start";
    // The last row's turn then finds the queue empty, as in a run that nobody watches.
    DispatchWaitingMessages();
    TurnOutcome lastRowTurn = RunTurn();
    ASSERT_EQ(Rows(), 3) << "the range 1 to 3 did not give three rows";
    // That turn set the controls as while running; waiting now would leave them so.
    EXPECT_NE(lastRowTurn, TurnOutcome::Idle)
        << "the turn that ends a run waits for a message with Stop still enabled";
    EXPECT_TRUE(IsEnabled(STOP_BUTTON));

    RunTurn();
    EXPECT_FALSE(IsEnabled(STOP_BUTTON)) << "Stop stays enabled after the run ended";
    EXPECT_TRUE(IsEnabled(START_BUTTON)) << "Start stays disabled after the run ended";
    EXPECT_TRUE(IsEnabled(CLEAR_BUTTON)) << "Clear stays disabled after a run that added rows";
    EXPECT_TRUE(IsEnabled(FIRST_FIELD) && IsEnabled(LAST_FIELD));
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(RunTurns(20), TurnOutcome::Idle) << "an idle tool with nothing queued never waits";
}

TEST_F(ProcessingTurnTest, StopTakesEffectWhenTheListReportsAnItemChangeForEveryRow) {
    HWND list = Handle(RESULT_LIST);
    listViewProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReportItemChangeOnInsertion)));
    ASSERT_NE(listViewProcedure, nullptr);

    SetRange("1", "1000000");
    RunTurns(5);
    Press(START_BUTTON);
    int turns = 0;
    while (Rows() < 5 && turns++ < 100) {
        RunTurn();
    }
    ASSERT_GE(Rows(), 5) << "no rows after Start";

    Press(STOP_BUTTON);
    RunTurns(10);
    int rowsAfterStop = Rows();
    RunTurns(50);
    EXPECT_EQ(Rows(), rowsAfterStop)
        << "the run goes on after Stop: the list's item change replaced the button's event";
    EXPECT_FALSE(IsEnabled(STOP_BUTTON)) << "Stop stays enabled after a click on it";
    EXPECT_TRUE(IsEnabled(START_BUTTON)) << "Start is not enabled again after Stop";
}
} // namespace
