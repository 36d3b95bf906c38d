// The turn of the processing loop, run in this process against the real main window: how a
// run ends, a Stop that a list's own notification must not overtake, commands that another
// program posts where no person could have given them, and a run that ends after the last
// whole row when any allocation from the heap gives out, and says so once.
#include "app/App.h"
#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"
#include "tests/app/PlainTrialDivision.h"
#include "tests/app/TextProcedureCall.h"
#include "tests/core/AppHeapFailures.h"
#include "tests/window/MessageBoxReader.h"
#include "tests/window/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <climits>
#include <string>
#include <vector>

namespace {
WNDPROC listViewProcedure;

// A list that reports an item change whenever it is told of new rows, as a list view may.
LRESULT CALLBACK ReportItemChangeOnInsertion(HWND list, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    LRESULT result = CallWindowProcA(listViewProcedure, list, message, wParam, lParam);
    if (message == LVM_SETITEMCOUNT && wParam != 0) {
        NMLISTVIEW change = {};
        change.hdr.hwndFrom = list;
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = static_cast<int>(wParam) - 1;
        change.uChanged = LVIF_STATE;
        SendMessageA(GetParent(list), WM_NOTIFY, change.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&change));
    }
    return result;
}

class ProcessingTurnTest : public WindowRuntimeTest {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(WindowRuntimeTest::SetUp());
        InitControlRuntime();
        ClearApplicationState();
        ASSERT_TRUE(CreateMainWindow());
        // The first turns set the idle states and take the creation's messages.
        RunTurns(20);
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
    // Turns for `milliseconds`, long enough for the list's painting timer to come and go.
    static void RunTurnsFor(DWORD milliseconds) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            if (RunTurn() == TurnOutcome::Idle) {
                Sleep(1);
            }
        }
    }
    static std::string Cell(int row, int column) {
        char* start = MarkScratch();
        ReadControlCell(RESULT_LIST, row, column);
        std::string text = start;
        ReleaseScratch(start);
        return text;
    }
    // The run ended as after a click on Stop: the next turns show the idle states.
    static void ExpectIdleAsAfterStop(const char* why) {
        RunTurns(3);
        EXPECT_FALSE(IsEnabled(STOP_BUTTON)) << why << ": Stop stays enabled, the run goes on";
        EXPECT_TRUE(IsEnabled(START_BUTTON)) << why << ": Start is not enabled again";
        EXPECT_TRUE(IsEnabled(FIRST_FIELD) && IsEnabled(LAST_FIELD)) << why;
        EXPECT_EQ(FocusedChild(0), START_BUTTON) << why << ": the focus is not on Start";
    }
    // Start is usable again: a new run appends rows from the first number.
    static void ExpectAnotherRunAddsRows(int rowsBefore) {
        Press(START_BUTTON);
        for (int turns = 0; Rows() < rowsBefore + 3 && turns < 100; turns++) {
            RunTurn();
        }
        EXPECT_GE(Rows(), rowsBefore + 3) << "Start adds no rows after the run that gave out";
        EXPECT_EQ(Cell(rowsBefore, 0), "1") << "the next run does not start at the first number";
        Press(STOP_BUTTON);
        RunTurns(5);
    }
    // The run that ran out of memory told the user so in one message box of the window, which
    // names the number the list ends at (none when it is empty) and the numbers missing.
    static void ExpectOneWarning(MessageBoxReader* reader, int32_t listEnd, int32_t missingFirst,
                                 int32_t missingLast) {
        std::string expected =
            "Der Speicher reicht nicht aus. Die Liste " +
            (listEnd != 0 ? "endet bei " + std::to_string(listEnd) : std::string("ist leer")) +
            (missingFirst == missingLast
                 ? "; es fehlt die Zahl "
                 : "; es fehlen die Zahlen " + std::to_string(missingFirst) + " bis ") +
            std::to_string(missingLast) + ".";
        std::vector<MessageBoxReader::Box> boxes;
        boxes.swap(reader->boxes);
        ASSERT_EQ(boxes.size(), 1u) << "not one message for the run that ran out of memory";
        EXPECT_EQ(boxes[0].text, expected);
        EXPECT_EQ(boxes[0].owner, GetCurrentWindow()) << "the message is not the window's";
    }
};

TEST_F(ProcessingTurnTest, TheTurnThatEndsARunLeavesTheIdleStatesForTheWait) {
    SetRange("1", "3");
    RunTurns(5);
    Press(START_BUTTON);
    for (int turns = 0; Rows() < 2 && turns < 100; turns++) {
        RunTurn();
    }
    ASSERT_EQ(Rows(), 2) << "no rows after Start";
    // The last row's turn then finds the queue empty, as in a run that nobody watches, and
    // the tool waits for the next message.
    DispatchWaitingMessages();
    RunTurn();
    ASSERT_EQ(Rows(), 3) << "the range 1 to 3 did not give three rows";
    EXPECT_FALSE(IsEnabled(STOP_BUTTON)) << "Stop stays enabled after the run ended";
    EXPECT_TRUE(IsEnabled(START_BUTTON)) << "Start stays disabled after the run ended";
    EXPECT_TRUE(IsEnabled(CLEAR_BUTTON)) << "Clear stays disabled after a run that added rows";
    EXPECT_TRUE(IsEnabled(FIRST_FIELD) && IsEnabled(LAST_FIELD));
    // The list's painting timer is one more message; after it nothing is left to do.
    RunTurnsFor(100);
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
TEST_F(ProcessingTurnTest, CommandsThatNoPersonCouldGiveChangeNothing) {
    const struct {
        bool duringRun;
        UINT message;
        int32_t control;
        int32_t from;
        const char* what;
    } cases[] = {
        {false, WM_COMMAND, START_BUTTON, START_BUTTON, "Start, disabled as first > last"},
        {true, WM_COMMAND, START_BUTTON, START_BUTTON, "Start, disabled during a run"},
        {true, WM_COMMAND, CLEAR_BUTTON, CLEAR_BUTTON, "Clear, disabled during a run"},
        {true, WM_COMMAND, START_BUTTON, STOP_BUTTON, "Start's number from the enabled Stop"},
        {true, static_cast<UINT>(EVENT_CONTROL), 0, 0, "a message numbered as a control event"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearControlRows(RESULT_LIST);
        SetRange(c.duringRun ? "1" : "7", c.duringRun ? "1000000" : "5");
        RunTurns(5);
        if (c.duringRun) {
            // The last control event is then Start's, which a message numbered 13100
            // would replay.
            Press(START_BUTTON);
            for (int turns = 0; Rows() < 5 && turns < 100; turns++) {
                RunTurn();
            }
            ASSERT_GE(Rows(), 5) << "no rows after Start";
        }
        int rowsBefore = Rows();
        ForeignMessage forged = {
            GetParent(Handle(RESULT_LIST)),           c.message, MAKEWPARAM(c.control, BN_CLICKED),
            reinterpret_cast<LPARAM>(Handle(c.from)), true,      0};
        HANDLE sender = StartForeignMessage(&forged);
        ASSERT_NE(sender, nullptr);
        WaitForSingleObject(sender, 5000);
        CloseHandle(sender);
        RunTurns(20);
        if (!c.duringRun) {
            EXPECT_EQ(Rows(), 0) << "a command posted by another program added a row";
            continue;
        }
        EXPECT_TRUE(IsEnabled(STOP_BUTTON)) << "the run ended";
        ASSERT_GT(Rows(), rowsBefore) << "the list was cleared, or the run stopped";
        for (int row = 0; row < Rows(); row++) {
            ASSERT_EQ(Cell(row, 0), std::to_string(row + 1))
                << "the list went on from elsewhere after a command posted by another program";
        }
        Press(STOP_BUTTON);
        RunTurns(5);
    }
}

TEST_F(ProcessingTurnTest, TwoClicksQueuedTogetherActAsGivenOneAfterTheOther) {
    const struct {
        int32_t second;
        bool rowsListed;
        const char* rows;
        const char* what;
    } cases[] = {
        {START_BUTTON, false, "1 2 3 4 5", "Start twice: the second finds Start disabled"},
        {CLEAR_BUTTON, true, "1 2 3 4 5 1 2 3 4 5", "Start, Clear: Clear is disabled by then"},
        {STOP_BUTTON, false, "1", "Start, Stop: the run ends after its first row"},
    };
    SetRange("1", "5");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearControlRows(RESULT_LIST);
        if (c.rowsListed) {
            Press(START_BUTTON);
            RunTurns(20);
        }
        RunTurns(5);
        Press(START_BUTTON);
        Press(c.second);
        RunTurns(30);
        std::string rows;
        for (int row = 0; row < Rows(); row++) {
            rows += (row == 0 ? "" : " ") + Cell(row, 0);
        }
        EXPECT_EQ(rows, c.rows) << "two clicks that reached the queue together act otherwise";
        EXPECT_FALSE(IsEnabled(STOP_BUTTON)) << "the run did not end";
    }
}

TEST_F(ProcessingTurnTest, AnAllocationRefusedAnywhereInARowEndsTheRunAfterTheLastWholeRow) {
    AppHeapFailures heap;
    ASSERT_TRUE(heap.Install()) << "AppHeap's allocations cannot be refused in this program";
    // Factors joined by the separator (12, 14, 15) and a prime (13).
    constexpr int32_t FIRST = 12;
    constexpr int RANGE_ROWS = 4;
    SetRange("12", "15");
    std::vector<std::string> oracle[3];
    for (int32_t n = FIRST; n < FIRST + RANGE_ROWS; n++) {
        oracle[0].push_back(std::to_string(n));
        oracle[1].push_back(CallTextProcedure(plain_trial_division::PrimeFactorText, n));
        oracle[2].push_back(CallTextProcedure(plain_trial_division::DivisorText, n));
    }
    auto runRange = [](std::vector<int>* rowEnds) {
        Press(START_BUTTON);
        for (int turn = 0; turn < 2 * RANGE_ROWS + 10; turn++) {
            int rows = Rows();
            RunTurn();
            if (rowEnds != nullptr && Rows() > rows) {
                rowEnds->push_back(AppHeapFailures::Count());
            }
        }
    };

    // The allocations that the rows make, and the count at which each row was whole.
    RunTurns(5);
    std::vector<int> rowEnds;
    heap.RefuseNone();
    runRange(&rowEnds);
    ASSERT_EQ(Rows(), RANGE_ROWS);
    const int allocations = AppHeapFailures::Count();
    ASSERT_GT(allocations, 0) << "the rows took nothing from AppHeap: nothing was refused";

    MessageBoxReader reader;
    for (bool onward : {false, true}) {
        for (int refused = 1; refused <= allocations; refused++) {
            std::string what = "allocation " + std::to_string(refused) + (onward ? " on" : "") +
                               " of " + std::to_string(allocations) + " refused";
            SCOPED_TRACE(what);
            ClearControlRows(RESULT_LIST);
            RunTurns(3);
            heap.Refuse(refused, onward ? INT_MAX : refused);
            runRange(nullptr);
            heap.RefuseNone();
            int wholeRows = 0;
            while (wholeRows < RANGE_ROWS && rowEnds[wholeRows] < refused) {
                wholeRows++;
            }
            EXPECT_EQ(Rows(), wholeRows) << "the run did not end after the last whole row";
            for (int row = 0; row < Rows() && row < RANGE_ROWS; row++) {
                for (int column = 0; column < 3; column++) {
                    ASSERT_EQ(Cell(row, column), oracle[column][row])
                        << "row " << row << " column " << column << " is wrong on the screen";
                }
            }
            if (wholeRows < RANGE_ROWS) {
                ExpectOneWarning(&reader, wholeRows != 0 ? FIRST + wholeRows - 1 : 0,
                                 FIRST + wholeRows, FIRST + RANGE_ROWS - 1);
            } else {
                EXPECT_TRUE(reader.boxes.empty()) << "a warning after a whole run";
            }
            ExpectIdleAsAfterStop(what.c_str());

            ClearControlRows(RESULT_LIST);
            RunTurns(3);
            runRange(nullptr);
            ASSERT_EQ(Rows(), RANGE_ROWS) << "Start does not run the range once memory is back";
            EXPECT_EQ(Cell(RANGE_ROWS - 1, 2), oracle[2][RANGE_ROWS - 1]);
            EXPECT_TRUE(reader.boxes.empty()) << "a warning after a whole run";
        }
    }
}

} // namespace
