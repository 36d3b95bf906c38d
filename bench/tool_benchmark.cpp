// Figures for the built tool on this machine, driven from outside as the end-to-end cases
// drive it: its row rate for small numbers and for numbers below 2^31, each against a bare
// insertion loop; the cost of one turn without a row, timed in this process against a
// real main window; the tool's private bytes per row; its processor time while idle; the
// copy of 100,000 rows to the clipboard; and the sizes of both executables.
#include "app/App.h"
#include "bench/CommittedMemory.h"
#include "runtime/control/Control.h"
#include "runtime/control/ReportList.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"
#include "tests/Clipboard.h"
#include "tests/end_to_end/Automation.h"

#include <commctrl.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

using namespace automation;

namespace {
constexpr int RATE_ROWS = 40000;
constexpr int RATE_TURNS = 3;
// The bare loop pays a repaint for every row: a few hundred rows give its rate.
constexpr int BARE_ROWS = 600;
constexpr int MEMORY_ROWS = 100000;
constexpr int COPY_ROWS = 100000;
constexpr int LARGE_ROWS = 300000;
constexpr int LONG_ROWS = 150000;
constexpr int32_t LARGEST = 2147483647;
constexpr int IDLE_TURNS = 20000;
constexpr DWORD IDLE_MS = 5000;
// The user address space of a 32-bit process.
constexpr double ADDRESS_SPACE_32 = 2147483648.0;

void Print(const char* format, double a = 0, double b = 0, double c = 0, double d = 0,
           double e = 0) {
    printf(format, a, b, c, d, e);
    fflush(stdout);
}

[[noreturn]] void GiveUp(const char* what) {
    printf("benchmark failed: %s\n", what);
    fflush(stdout);
    ExitProcess(1);
}

std::string Text(int32_t number) {
    return std::to_string(number);
}

// The first of the `count` numbers that end at the largest one.
int32_t FirstBelowLargest(int count) {
    return LARGEST - (count - 1);
}

void LaunchIdleTool(ToolProcess* tool) {
    if (!tool->Launch(TOOL_EXECUTABLE, "", 20000) || !tool->WaitUntilIdle(5000)) {
        GiveUp("the tool did not start");
    }
}

void StartRange(ToolProcess* tool, int32_t first, int32_t last) {
    if (!tool->TypeIntoField(FIRST_FIELD, Text(first).c_str()) ||
        !tool->TypeIntoField(LAST_FIELD, Text(last).c_str()) ||
        !WaitUntil([&] { return tool->IsEnabled(START_BUTTON); }, 2000) ||
        !tool->Click(START_BUTTON)) {
        GiveUp("could not start a range");
    }
}

// Runs the range to its end. The row count is asked for rarely, since every question
// costs the busy tool a message; the end shows in Stop's state, which is read without it.
// Returns the rate from the moment `from` rows are there (the first row by default) to the
// end of the run; `there` runs at that moment.
double RunToEnd(ToolProcess* tool, int32_t first, int rows, DWORD timeoutMs, int from = 1,
                void (*there)(ToolProcess*) = nullptr) {
    int before = tool->RowCount();
    StartRange(tool, first, static_cast<int32_t>(first + (rows - 1)));
    int seen = 0;
    if (!WaitUntil(
            [&] {
                seen = tool->RowCount() - before;
                return seen >= from;
            },
            60000)) {
        GiveUp("the run did not reach its first rows");
    }
    if (there != nullptr) {
        there(tool);
    }
    double start = NowMs();
    double end = 0;
    if (!WaitUntil(
            [&] {
                end = NowMs();
                return !tool->IsEnabled(STOP_BUTTON);
            },
            timeoutMs)) {
        GiveUp("the run did not end in time");
    }
    if (tool->RowCount() - before != rows) {
        GiveUp("the run ended with a wrong number of rows");
    }
    return (rows - seen) / ((end - start) / 1000.0);
}

// Another program's questions to the tool while it works: the list's row count asked every
// `pauseMs` from a thread of this process, the longest wait for an answer noted.
struct Questioner {
    HWND list;
    DWORD pauseMs;
    volatile bool stop;
    double longestMs;
    int unanswered;
    int asked;
};

DWORD WINAPI AskRowCount(void* parameter) {
    Questioner* questioner = static_cast<Questioner*>(parameter);
    while (!questioner->stop) {
        DWORD_PTR rows = 0;
        double start = NowMs();
        if (SendMessageTimeoutA(questioner->list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000,
                                &rows) == 0) {
            questioner->unanswered++;
        }
        questioner->longestMs = std::max(questioner->longestMs, NowMs() - start);
        questioner->asked++;
        Sleep(questioner->pauseMs);
    }
    return 0;
}

// How the list is watched while the rate is taken: left at its top, scrolled to its end
// once rows have come (as a user does who wants to see them arrive), or at its top while
// another program asks it its row count every 20 ms, as automation clients do.
enum class Watch { Top, End, Asked };
constexpr int SCROLL_AT_ROWS = 3000;

void ScrollToEnd(ToolProcess* tool) {
    PostMessageA(tool->Control(RESULT_LIST), WM_VSCROLL, SB_BOTTOM, 0);
}

double ToolRowsPerSecond(int32_t first, Watch watch, double* seconds) {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    Questioner questioner = {tool.Control(RESULT_LIST), 20, false, 0, 0, 0};
    HANDLE thread = nullptr;
    if (watch == Watch::Asked) {
        thread = CreateThread(nullptr, 0, AskRowCount, &questioner, 0, nullptr);
    }
    double rate = watch == Watch::End
                      ? RunToEnd(&tool, first, RATE_ROWS, 600000, SCROLL_AT_ROWS, ScrollToEnd)
                      : RunToEnd(&tool, first, RATE_ROWS, 600000);
    if (thread != nullptr) {
        questioner.stop = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        if (questioner.unanswered != 0 || questioner.asked < 10) {
            GiveUp("the tool did not answer another program's questions");
        }
    }
    *seconds = (watch == Watch::End ? RATE_ROWS - SCROLL_AT_ROWS : RATE_ROWS) / rate;
    return rate;
}

// The tool's window and list as a bare program makes them: the same size, style, font and
// columns, with the default window procedure.
struct BareList {
    HWND window;
    HWND list;
};

BareList CreateBareList() {
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = "BareInsertionLoop";
    RegisterClassA(&windowClass);
    DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    RECT outer = {0, 0, 600, 500};
    AdjustWindowRect(&outer, style, FALSE);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    BareList bare = {};
    bare.window = CreateWindowExA(0, "BareInsertionLoop", "Primfaktoren und Teiler", style,
                                  GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                                  GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, width, height,
                                  nullptr, nullptr, instance, nullptr);
    bare.list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, 0x50010041, 5, 25, 590,
                                470, bare.window, nullptr, instance, nullptr);
    if (bare.window == nullptr || bare.list == nullptr) {
        GiveUp("no window for a bare loop");
    }
    SendMessageA(bare.list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)),
                 TRUE);
    const char* titles[] = {"Zahl", "Primfaktoren", "Teiler"};
    const int widths[] = {50, 200, 336};
    for (int column = 0; column < 3; column++) {
        LVCOLUMNA description = {};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        description.fmt = LVCFMT_LEFT;
        description.cx = widths[column];
        description.pszText = const_cast<char*>(titles[column]);
        description.iSubItem = column;
        SendMessageA(bare.list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&description));
    }
    UpdateWindow(bare.window);
    return bare;
}

void DestroyBareList(const BareList& bare) {
    DestroyWindow(bare.window);
    UnregisterClassA("BareInsertionLoop", GetModuleHandleA(nullptr));
}

// The three texts of each of `count` rows from `first` on, made before a loop times the
// list and the messages alone.
struct RowTexts {
    std::vector<std::string> cells[3];
};

RowTexts MakeRowTexts(int32_t first, int count) {
    RowTexts texts;
    for (int row = 0; row < count; row++) {
        int32_t number = static_cast<int32_t>(first + row);
        char* mark = MarkScratch();
        texts.cells[0].push_back(Text(number));
        texts.cells[1].push_back(PrimeFactorText(number, ", "));
        ReleaseScratch(mark);
        texts.cells[2].push_back(DivisorText(number, ", "));
        ReleaseScratch(mark);
    }
    return texts;
}

// One row as every row of the design must be added: take one message, insert the row,
// set its two further cells.
void AddBareRow(HWND list, RowTexts* texts, int row) {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = &texts->cells[0][row][0];
    int inserted =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < 3; column++) {
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = &texts->cells[column][row][0];
        SendMessageA(list, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&cell));
    }
}

// Rows from `first` on into the same kind of list in the same kind of window, one message
// taken per row. The bare loop leaves the list's drawing on, so it pays a repaint for
// every row. The limit loop holds the drawing off for the whole run and turns it on once
// at the end, painting the list once: no design that takes a message and inserts a row
// per turn adds rows faster.
double BareRowsPerSecond(int32_t first, int rows, bool drawingHeldOff) {
    BareList bare = CreateBareList();
    RowTexts texts = MakeRowTexts(first, rows);
    double start = NowMs();
    if (drawingHeldOff) {
        SendMessageA(bare.list, WM_SETREDRAW, FALSE, 0);
    }
    for (int row = 0; row < rows; row++) {
        AddBareRow(bare.list, &texts, row);
    }
    if (drawingHeldOff) {
        SendMessageA(bare.list, WM_SETREDRAW, TRUE, 0);
        UpdateWindow(bare.list);
    }
    double seconds = (NowMs() - start) / 1000.0;
    if (SendMessageA(bare.list, LVM_GETITEMCOUNT, 0, 0) != rows) {
        GiveUp("a bare loop lost rows");
    }
    DestroyBareList(bare);
    return rows / seconds;
}

// The ceiling of a design that takes one message a turn: a window, then one PeekMessageA a
// turn and nothing else.
double PollOnlyTurnsPerSecond(int turns) {
    BareList bare = CreateBareList();
    MSG message;
    double start = NowMs();
    for (int turn = 0; turn < turns; turn++) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    double seconds = (NowMs() - start) / 1000.0;
    DestroyBareList(bare);
    return turns / seconds;
}

void RowRates(bool withBareLoop) {
    const int32_t firsts[] = {1, FirstBelowLargest(RATE_ROWS)};
    const char* ranges[] = {"1..40000", "the 40000 numbers below 2^31"};
    const struct {
        Watch watch;
        const char* name;
    } watches[] = {{Watch::Top, "the list at its top"},
                   {Watch::End, "scrolled to its end at row 3000"},
                   {Watch::Asked, "at its top, its count asked every 20 ms"}};
    double rates[2] = {};
    Print("(1) rows a second of the tool against a loop that only polls (a window, then one "
          "PeekMessageA a turn), best of %.0f turns each, taken in turn:\n",
          RATE_TURNS);
    for (int range = 0; range < 2; range++) {
        for (const auto& watch : watches) {
            double seconds = 0;
            double tool = 0;
            double poll = 0;
            for (int turn = 0; turn < RATE_TURNS; turn++) {
                double turnSeconds = 0;
                double turnTool = ToolRowsPerSecond(firsts[range], watch.watch, &turnSeconds);
                if (turnTool > tool) {
                    tool = turnTool;
                    seconds = turnSeconds;
                }
                poll = std::max(poll, PollOnlyTurnsPerSecond(RATE_ROWS));
            }
            if (watch.watch == Watch::Top) {
                rates[range] = tool;
            }
            printf("    %s, %s: ", ranges[range], watch.name);
            Print("tool %.0f rows/s (%.2f s), poll-only loop %.0f turns/s; tool / poll = %.2f\n",
                  tool, seconds, poll, tool / poll);
        }
        if (withBareLoop) {
            double limit = BareRowsPerSecond(firsts[range], RATE_ROWS, true);
            double bare = BareRowsPerSecond(firsts[range], BARE_ROWS, false);
            Print("        limit loop (one poll, one insertion and two cells a row, drawing off) "
                  "%.0f rows/s; bare per-row loop %.1f rows/s over its first %.0f rows\n",
                  limit, bare, BARE_ROWS);
        }
    }
    Print("    rows below 2^31 / rows of 1..40000, the list at its top = %.2f\n",
          rates[1] / rates[0]);
}

double MicrosecondsEach(double startMs, int count) {
    return (NowMs() - startMs) * 1000.0 / count;
}

// What the breakdown sees of the list without asking it: timer messages taken from the
// queue for the list, its drawing turned off, and its client drawn.
struct ListProbe {
    HWND list;
    WNDPROC listProcedure;
    HHOOK hook;
    bool tickTaken;
    bool clientDrawn;
};
ListProbe probe;

LRESULT CALLBACK SeeTakenMessage(int code, WPARAM removal, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_TIMER &&
        message->hwnd == probe.list && message->wParam == SHOW_TIMER) {
        probe.tickTaken = true;
    }
    return CallNextHookEx(probe.hook, code, removal, lParam);
}

LRESULT CALLBACK SeeListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINTCLIENT || message == WM_PAINT) {
        probe.clientDrawn = true;
    }
    return CallWindowProcA(probe.listProcedure, list, message, wParam, lParam);
}

// The scroll box of the list's vertical scroll bar as the screen shows it, top and bottom.
int ScrollBox(HWND list) {
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    GetScrollBarInfo(list, OBJID_VSCROLL, &bar);
    return bar.xyThumbTop * 65536 + bar.xyThumbBottom;
}

struct Part {
    double us = 0;
    int count = 0;
    void Add(double startMs, double endMs) {
        us += (endMs - startMs) * 1000.0;
        count++;
    }
    double Mean() const {
        return count != 0 ? us / count : 0;
    }
};

// A real main window in this process, its start-up's messages taken by idle turns.
void CreateSettledMainWindow() {
    if (!CreateMainWindow()) {
        GiveUp("no main window in the benchmark");
    }
    DWORD settle = GetTickCount();
    while (GetTickCount() - settle < 300) {
        if (RunTurn() == TurnOutcome::Idle) {
            Sleep(1);
        }
    }
}

// Where a running turn's time goes: the turn's steps as RunTurn takes them, against a real
// main window in this process, each timed on its own over `rows` rows from `first` on.
// With scrollAtRow > 0 the list is scrolled to its end at that row, as a user does who
// wants to see the rows arrive; the scroll box then climbs with every paint.
void TurnBreakdown(const char* name, int32_t first, int rows, int scrollAtRow) {
    CreateSettledMainWindow();
    probe = {};
    probe.list = GetDlgItem(GetCurrentWindow(), RESULT_LIST);
    probe.listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(probe.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SeeListMessage)));
    probe.hook = SetWindowsHookExA(WH_GETMESSAGE, SeeTakenMessage, nullptr, GetCurrentThreadId());
    if (probe.listProcedure == nullptr || probe.hook == nullptr) {
        GiveUp("the breakdown cannot watch the list");
    }

    // Polls that took a tick of the list's timer: those that drew the whole list, those
    // that drew its scroll bar alone (its scroll box moved), and those that drew nothing.
    Part poll, wholeList, scrollBar, tickAlone, states, texts, rowMessages;
    StringSlot factors = nullptr;
    StringSlot divisors = nullptr;
    const int32_t runningStates[][2] = {
        {STOP_BUTTON, 0}, {START_BUTTON, 1}, {FIRST_FIELD, 1}, {LAST_FIELD, 1}, {CLEAR_BUTTON, 1}};
    ReportListState* listState = ReportListStateOf(probe.list);
    int scrollBarRedraws = 0;
    double start = NowMs();
    for (int row = 0; row < rows; row++) {
        int32_t number = static_cast<int32_t>(first + row);
        probe.tickTaken = false;
        probe.clientDrawn = false;
        if (row == scrollAtRow) {
            SendMessageA(probe.list, LVM_ENSUREVISIBLE, row - 1, FALSE);
        }
        int boxBefore = ScrollBox(probe.list);
        DWORD drawnAt = listState->scrollBarDrawnAt;
        double t0 = NowMs();
        PollEvent();
        double t1 = NowMs();
        scrollBarRedraws += listState->scrollBarDrawnAt != drawnAt ? 1 : 0;
        if (!probe.tickTaken) {
            poll.Add(t0, t1);
        } else if (probe.clientDrawn) {
            wholeList.Add(t0, t1);
        } else if (ScrollBox(probe.list) != boxBefore) {
            scrollBar.Add(t0, t1);
        } else {
            tickAlone.Add(t0, t1);
        }
        for (const auto& state : runningStates) {
            DisableControl(state[0], state[1]);
        }
        double t2 = NowMs();
        states.Add(t1, t2);
        AssignFromScratch(&factors, PrimeFactorText(number, ", "));
        AssignFromScratch(&divisors, DivisorText(number, ", "));
        char* text = MarkScratch();
        AppendNumber(number);
        AppendText("\n");
        AppendText(factors);
        AppendText("\n");
        AppendText(divisors);
        SealScratch();
        double t3 = NowMs();
        texts.Add(t2, t3);
        AddControlRow(RESULT_LIST, -1, text);
        double t4 = NowMs();
        ReleaseScratch(text);
        rowMessages.Add(t3, t4);
    }
    double runMs = NowMs() - start;
    // The paint after the last row, as an idle tool takes it: the tick that drew the list.
    double lastPaintMs = 0;
    for (DWORD end = GetTickCount(); GetTickCount() - end < 200;) {
        probe.clientDrawn = false;
        double t0 = NowMs();
        PollEvent();
        if (probe.clientDrawn) {
            lastPaintMs = NowMs() - t0;
        }
        Sleep(1);
    }
    UnhookWindowsHookEx(probe.hook);
    FreeText(factors);
    FreeText(divisors);
    CloseAllWindows();

    double perRow = runMs * 1000.0 / rows;
    auto beyondPoll = [&](const Part& part) { return part.us - part.count * poll.Mean(); };
    double paintsUs = beyondPoll(wholeList) + beyondPoll(scrollBar);
    double paints = wholeList.count + scrollBar.count;
    printf("(2) where a running turn's time goes, its steps timed one by one in this process, "
           "%s: ",
           name);
    Print("%.1f us a row (%.0f rows/s)\n", perRow, 1e6 / perRow);
    Print("    poll without a tick %.1f us; enabled states %.1f us; texts %.1f us; the row's "
          "messages %.1f us\n",
          poll.Mean(), states.Mean(), texts.Mean(), rowMessages.Mean());
    Print("    paints during the run: %.0f in %.2f s, %.1f a second, mean %.2f ms beyond a poll; "
          "a row's share %.1f us\n",
          paints, runMs / 1000.0, paints / (runMs / 1000.0),
          paints != 0 ? paintsUs / paints / 1000.0 : 0, paintsUs / rows);
    Print("        the whole list %.0f times, mean %.2f ms; the scroll box moved alone %.0f times, "
          "mean %.2f ms\n",
          wholeList.count, wholeList.Mean() / 1000.0, scrollBar.count, scrollBar.Mean() / 1000.0);
    Print("    the scroll bar redrawn after its scroll box moved: %.0f times, %.1f a second\n",
          scrollBarRedraws, scrollBarRedraws / (runMs / 1000.0));
    Print("    ticks that drew nothing: %.0f, mean %.3f ms beyond a poll; a row's share %.1f us\n",
          tickAlone.count,
          tickAlone.count != 0 ? beyondPoll(tickAlone) / tickAlone.count / 1000.0 : 0,
          beyondPoll(tickAlone) / rows);
    Print("    the paint after the last row: %.2f ms\n", lastPaintMs);
}

// Where a count update's time goes, against the tool's list in this process: the update
// itself, and the two kinds of work it does twice whatever changed, a redraw of the
// vertical scroll bar (SetScrollInfo asked to redraw) and a move of the header to where it
// is. With `atEnd` the list is scrolled to its end first.
void CountUpdateCost(bool atEnd) {
    constexpr int ROWS = 40000;
    constexpr int TIMES = 200;
    CreateSettledMainWindow();
    HWND list = GetDlgItem(GetCurrentWindow(), RESULT_LIST);
    for (int32_t number = 1; number <= ROWS; number++) {
        char* text = MarkScratch();
        AppendNumber(number);
        SealScratch();
        AddControlRow(RESULT_LIST, -1, text);
        ReleaseScratch(text);
    }
    SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
    if (atEnd) {
        SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
    }
    UpdateWindow(list);
    double start = NowMs();
    for (int time = 0; time < TIMES; time++) {
        SendMessageA(list, LVM_SETITEMCOUNT, ROWS + time % 2,
                     LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    double updateUs = MicrosecondsEach(start, TIMES);
    // The list's own telling: one more row each time, told as the ticks tell it.
    ReportListState* state = ReportListStateOf(list);
    int redraws = 0;
    double tellingUs = 0;
    for (int time = 0; time < TIMES; time++) {
        char* text = MarkScratch();
        AppendNumber(ROWS + 1 + time);
        SealScratch();
        AddControlRow(RESULT_LIST, -1, text);
        ReleaseScratch(text);
        DWORD drawnAt = state->scrollBarDrawnAt;
        double tellStart = NowMs();
        TellRowCount(state);
        tellingUs += (NowMs() - tellStart) * 1000.0;
        redraws += state->scrollBarDrawnAt != drawnAt ? 1 : 0;
    }
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(list, SB_VERT, &bar);
    start = NowMs();
    for (int time = 0; time < TIMES; time++) {
        SetScrollInfo(list, SB_VERT, &bar, TRUE);
    }
    double scrollBarUs = MicrosecondsEach(start, TIMES);
    start = NowMs();
    for (int time = 0; time < TIMES; time++) {
        SetScrollInfo(list, SB_VERT, &bar, FALSE);
    }
    double quietScrollBarUs = MicrosecondsEach(start, TIMES);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT place = {};
    GetWindowRect(header, &place);
    MapWindowPoints(HWND_DESKTOP, list, reinterpret_cast<POINT*>(&place), 2);
    start = NowMs();
    for (int time = 0; time < TIMES; time++) {
        SetWindowPos(header, nullptr, place.left, place.top, place.right, place.bottom,
                     SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    double headerUs = MicrosecondsEach(start, TIMES);
    CloseAllWindows();
    printf("(2a) one count update of a list of 40000 rows, %s: ",
           atEnd ? "scrolled to its end" : "at its top");
    Print("LVM_SETITEMCOUNT %.0f us; of the work it does twice: SetScrollInfo that redraws "
          "%.0f us (%.0f us without the redraw), the header moved to where it is %.0f us\n",
          updateUs, scrollBarUs, quietScrollBarUs, headerUs);
    Print("    the list's telling of one more row: %.0f us, the scroll bar redrawn %.0f of %.0f "
          "times\n",
          tellingUs / TIMES, redraws, TIMES);
}

// Whether the cost of a row stays flat as the list grows: the tool's rate over the last
// quarter of a long run against its rate over the first quarter.
void LateAgainstEarly() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    StartRange(&tool, 1, LONG_ROWS);
    struct Sample {
        double ms;
        int rows;
    };
    std::vector<Sample> samples;
    double deadline = NowMs() + 900000;
    for (;;) {
        Sleep(50);
        if (!tool.IsEnabled(STOP_BUTTON) && !samples.empty()) {
            samples.push_back({NowMs(), LONG_ROWS});
            break;
        }
        int rows = tool.RowCount();
        if (rows > 0) {
            samples.push_back({NowMs(), rows});
        }
        if (NowMs() > deadline) {
            GiveUp("the long run did not end in time");
        }
    }
    if (tool.RowCount() != LONG_ROWS) {
        GiveUp("the long run ended with a wrong number of rows");
    }
    // The samples nearest to the quarters, each rate from the rows counted between two.
    auto at = [&](int rows) {
        size_t i = 0;
        while (i + 1 < samples.size() && samples[i].rows < rows) {
            i++;
        }
        return samples[i];
    };
    Sample begin = samples.front();
    Sample firstQuarter = at(LONG_ROWS / 4);
    Sample lastQuarter = at(LONG_ROWS / 4 * 3);
    Sample end = samples.back();
    double early = (firstQuarter.rows - begin.rows) / ((firstQuarter.ms - begin.ms) / 1000.0);
    double late = (end.rows - lastQuarter.rows) / ((end.ms - lastQuarter.ms) / 1000.0);
    Print("(6) 1..150000: first quarter %.0f rows/s, last quarter %.0f rows/s; late / early = "
          "%.2f (whole run %.1f s)\n",
          early, late, late / early, (end.ms - begin.ms) / 1000.0);
}

// The turn as the tool runs it, in this process against a real main window.
void TurnCost() {
    CreateSettledMainWindow();
    double start = NowMs();
    int idle = 0;
    for (int turn = 0; turn < IDLE_TURNS; turn++) {
        idle += RunTurn() == TurnOutcome::Idle ? 1 : 0;
    }
    double turnUs = MicrosecondsEach(start, IDLE_TURNS);

    MSG message;
    start = NowMs();
    for (int i = 0; i < IDLE_TURNS; i++) {
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
    double peekUs = MicrosecondsEach(start, IDLE_TURNS);

    // The five states a running turn sets, each already as wanted, as in every turn of a
    // run but its first.
    const int32_t states[][2] = {
        {STOP_BUTTON, 0}, {START_BUTTON, 1}, {FIRST_FIELD, 1}, {LAST_FIELD, 1}, {CLEAR_BUTTON, 1}};
    for (const auto& state : states) {
        DisableControl(state[0], state[1]);
    }
    HWND handles[5];
    for (int i = 0; i < 5; i++) {
        handles[i] = GetDlgItem(GetCurrentWindow(), states[i][0]);
    }
    start = NowMs();
    for (int i = 0; i < IDLE_TURNS; i++) {
        for (const auto& state : states) {
            DisableControl(state[0], state[1]);
        }
    }
    double fiveStatesUs = MicrosecondsEach(start, IDLE_TURNS);
    start = NowMs();
    for (int i = 0; i < IDLE_TURNS / 10; i++) {
        for (int control = 0; control < 5; control++) {
            EnableWindow(handles[control], states[control][1] == 0);
        }
    }
    double fiveCallsUs = MicrosecondsEach(start, IDLE_TURNS / 10);
    CloseAllWindows();

    Print("(3) one turn without a row (idle, nothing queued, %.0f of %.0f turns idle): %.1f us\n",
          idle, IDLE_TURNS, turnUs);
    Print("    PeekMessageA on an empty queue: %.1f us\n", peekUs);
    Print("    the five enabled states of a running turn, already set: %.2f us "
          "(five EnableWindow calls that change nothing: %.1f us)\n",
          fiveStatesUs, fiveCallsUs);
}

// Private bytes of another process: what GetProcessMemoryInfo calls its private usage, and
// the committed private pages of its address space, added up region by region.
struct Memory {
    double privateUsage;
    double committedPrivate;
    double resident; // the working set
};

Memory MemoryOf(HANDLE process) {
    Memory memory = {};
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        memory.privateUsage = static_cast<double>(counters.PrivateUsage);
        memory.resident = static_cast<double>(counters.WorkingSetSize);
    }
    memory.committedPrivate = CommittedPrivateBytes(process);
    return memory;
}

// Waits until the tool's memory stops changing after a run or a Clear.
Memory SettledMemoryOf(HANDLE process) {
    Sleep(300);
    return MemoryOf(process);
}

// Characters of a row's three texts, on average over every 100th of `count` numbers.
double MeanRowCharacters(int32_t first, int count) {
    double characters = 0;
    int sampled = 0;
    for (int i = 0; i < count; i += 100) {
        int32_t number = static_cast<int32_t>(first + i);
        char* mark = MarkScratch();
        characters += static_cast<double>(Text(number).size());
        characters += static_cast<double>(strlen(PrimeFactorText(number, ", ")));
        ReleaseScratch(mark);
        characters += static_cast<double>(strlen(DivisorText(number, ", ")));
        ReleaseScratch(mark);
        sampled++;
    }
    return characters / sampled;
}

// One tool of its own per range, so that no row reuses what an earlier run left free.
void MemoryPerRow(const char* rows, int32_t first) {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    HANDLE process = tool.ProcessHandle();
    Memory start = SettledMemoryOf(process);
    RunToEnd(&tool, first, MEMORY_ROWS, 900000);
    Memory filled = SettledMemoryOf(process);
    if (!tool.Click(CLEAR_BUTTON) || !WaitUntil([&] { return tool.RowCount() == 0; }, 10000)) {
        GiveUp("Clear did not empty the list");
    }
    Memory cleared = SettledMemoryOf(process);

    double characters = MeanRowCharacters(first, MEMORY_ROWS);
    double perRow = (filled.committedPrivate - start.committedPrivate) / MEMORY_ROWS;
    double usagePerRow = (filled.privateUsage - start.privateUsage) / MEMORY_ROWS;
    // The runtime keeps the texts a byte a character, a line feed or zero after each of
    // the three: the same bytes in a 32-bit process. The rest is row records and heap block
    // headers, about half as large there.
    double textBytes = characters + 3;
    double estimate32 = textBytes + (perRow - textBytes) / 2;
    double room = ADDRESS_SPACE_32 - start.committedPrivate;
    printf("(4) %s, 100000 rows:\n", rows);
    Print("    %.0f private bytes per row (committed private pages; PrivateUsage gives %.0f), "
          "%.1f characters a row\n",
          perRow, usagePerRow, characters);
    Print("    resident growth %.0f bytes per row (the working set: %.1f MB at start, %.1f MB with "
          "the rows)\n",
          (filled.resident - start.resident) / MEMORY_ROWS, start.resident / 1e6,
          filled.resident / 1e6);
    Print("    the tool at start %.1f MB, with the rows %.1f MB, after Clear %.1f MB\n",
          start.committedPrivate / 1e6, filled.committedPrivate / 1e6,
          cleared.committedPrivate / 1e6);
    Print("    a 2 GB process holds %.2f million such rows at this figure, %.2f million at the "
          "32-bit estimate of %.0f bytes a row\n",
          room / perRow / 1e6, room / estimate32 / 1e6, estimate32);
}

void IdleProcessorTime() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    Sleep(500);
    double before = tool.ProcessorSeconds();
    Sleep(IDLE_MS);
    double used = tool.ProcessorSeconds() - before;
    Print("    idle with the window open: %.3f processor seconds in %.0f s\n", used,
          IDLE_MS / 1000.0);
}

// Copying the rows 1..`rows` of a tool that holds them as a user does it: a click on the
// first row, Ctrl+A, Ctrl+C. The copy is timed from the key to the clipboard's change; the
// time xdotool takes to send a key that does nothing is given beside it.
void CopyRows(ToolProcess& tool, int rows) {
    RECT list = {};
    GetWindowRect(tool.Control(RESULT_LIST), &list);
    auto selected = [&] {
        DWORD_PTR count = 0;
        SendMessageTimeoutA(tool.Control(RESULT_LIST), LVM_GETSELECTEDCOUNT, 0, 0, SMTO_NORMAL,
                            READ_TIMEOUT_MS, &count);
        return static_cast<int>(count);
    };
    if (!tool.ClickAt({list.left + 20, list.top + 30}) ||
        !WaitUntil([&] { return selected() == 1; }, 5000)) {
        GiveUp("a click on the list selected no row");
    }
    double start = NowMs();
    if (!tool.PressKeys("ctrl+a") || !WaitUntil([&] { return selected() == rows; }, 60000)) {
        GiveUp("Ctrl+A did not select every row");
    }
    double selectMs = NowMs() - start;
    DWORD sequence = GetClipboardSequenceNumber();
    // The wait cursor is the tool's own handle: any cursor other than the one before the copy.
    auto cursorShown = [] {
        CURSORINFO cursor = {};
        cursor.cbSize = sizeof cursor;
        GetCursorInfo(&cursor);
        return cursor.hCursor;
    };
    HCURSOR before = cursorShown();
    bool cursorChanged = false;
    auto copied = [&] {
        cursorChanged |= cursorShown() != before;
        return GetClipboardSequenceNumber() != sequence;
    };
    start = NowMs();
    if (!tool.PressKeys("ctrl+c") || !WaitUntil(copied, 60000)) {
        GiveUp("Ctrl+C did not change the clipboard");
    }
    double copyMs = NowMs() - start;
    start = NowMs();
    tool.PressKeys("shift");
    double keyMs = NowMs() - start;
    std::string text;
    if (!WaitUntil([&] { return (text = ClipboardText()) != "<busy>"; }, 5000) ||
        std::count(text.begin(), text.end(), '\n') != rows) {
        GiveUp("the clipboard does not hold a line for every row");
    }
    Print("(7) copying rows 1..%.0f: Ctrl+C to the clipboard %.2f s (sending a key alone "
          "%.2f s), %.1f MB of text; Ctrl+A selected them in %.2f s\n",
          rows, copyMs / 1000.0, keyMs / 1000.0, static_cast<double>(text.size()) / 1e6,
          selectMs / 1000.0);
    printf("    the cursor %s while the copy lasted, and showed %s after it\n",
           cursorChanged ? "changed" : "did not change",
           cursorShown() == before ? "the one from before" : "another");
    fflush(stdout);
}

void CopyTime() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    RunToEnd(&tool, 1, COPY_ROWS, 900000);
    CopyRows(tool, COPY_ROWS);
}

// The selection gestures on rows 1..300000, each timed from its key or click to the
// selection read back (the count of selected rows and the focused row), after an untimed
// Ctrl+A where the gesture starts from every row selected, and from the moment xdotool had
// sent it. The time xdotool takes to send a key that does nothing is given beside them.
void SelectionGestures(ToolProcess& tool) {
    auto answer = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        return static_cast<int>(tool.ListAnswer(message, wParam, lParam));
    };
    auto holds = [&](int count, int focused) {
        return answer(LVM_GETSELECTEDCOUNT, 0, 0) == count &&
               answer(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == focused;
    };
    const int last = LARGE_ROWS - 1;
    const int page = answer(LVM_GETCOUNTPERPAGE, 0, 0);
    const int endTop = LARGE_ROWS - page;
    const struct {
        const char* name;
        bool fromAll;
        int row; // the row clicked, -1 for the keys
        const char* input;
        int count;
        int focused;
    } gestures[] = {
        {"a click on row 2 after Ctrl+A", true, 2, "click 1", 1, 2},
        {"Shift+End from row 2", false, -1, "shift+End", LARGE_ROWS - 2, last},
        {"Shift+Home from the end", false, -1, "shift+Home", 3, 0},
        {"Ctrl+A", false, -1, "ctrl+a", LARGE_ROWS, 0},
        {"Shift+Down after Ctrl+A", true, -1, "shift+Down", 2, 1},
        {"Down after Ctrl+A", true, -1, "Down", 1, 2},
        {"Shift+Page Down after Ctrl+A", true, -1, "shift+Next", page - 2, page - 1},
        {"Ctrl+End after Ctrl+A", true, -1, "ctrl+End", LARGE_ROWS, last},
        {"Shift+Page Up at the end after Ctrl+A", true, -1, "shift+Prior", endTop - 1, endTop},
        {"Ctrl+Space after Ctrl+A", true, -1, "ctrl+space", LARGE_ROWS - 1, endTop},
        {"Ctrl+click after Ctrl+A", true, last - 1, "keydown ctrl click 1 keyup ctrl",
         LARGE_ROWS - 1, last - 1},
        {"Shift+click 9 rows up", false, last - 10, "keydown shift click 1 keyup shift", 10,
         last - 10},
        {"Home after Ctrl+A", true, -1, "Home", 1, 0},
        {"typing 7", false, -1, "7", 1, 6},
    };
    double keyStart = NowMs();
    tool.PressKeys("shift");
    double keyMs = NowMs() - keyStart;
    for (const auto& gesture : gestures) {
        auto allSelected = [&] { return answer(LVM_GETSELECTEDCOUNT, 0, 0) == LARGE_ROWS; };
        if (gesture.fromAll && (!tool.PressKeys("ctrl+a") || !WaitUntil(allSelected, 10000))) {
            GiveUp("Ctrl+A did not select every row");
        }
        double start = NowMs();
        bool sent = gesture.row >= 0 ? tool.ClickRow(gesture.row, gesture.input)
                                     : tool.PressKeys(gesture.input);
        double sentAt = NowMs();
        if (!sent || !WaitUntil([&] { return holds(gesture.count, gesture.focused); }, 60000)) {
            printf("benchmark failed: %s left %d rows selected and row %d focused\n", gesture.name,
                   answer(LVM_GETSELECTEDCOUNT, 0, 0),
                   answer(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            ExitProcess(1);
        }
        double end = NowMs();
        printf("(9) %s, rows 1..300000: %.3f s to %d rows selected read back, %.3f s of it "
               "after xdotool had sent the input\n",
               gesture.name, (end - start) / 1000.0, gesture.count, (end - sentAt) / 1000.0);
        fflush(stdout);
    }
    Print("    (sending a key that does nothing: %.3f s)\n", keyMs / 1000.0);
}

// A list of 300,000 rows: Ctrl+A then Ctrl+C, the selection gestures, Clear while another
// program asks the list its row count, and, filled again, the close box until the process
// has ended.
void LargeList() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    RunToEnd(&tool, 1, LARGE_ROWS, 900000);
    CopyRows(tool, LARGE_ROWS);
    SelectionGestures(tool);
    Questioner questioner = {tool.Control(RESULT_LIST), 10, false, 0, 0, 0};
    HANDLE thread = CreateThread(nullptr, 0, AskRowCount, &questioner, 0, nullptr);
    Sleep(100);
    double start = NowMs();
    if (thread == nullptr || !tool.Click(CLEAR_BUTTON) ||
        !WaitUntil([&] { return tool.RowCount() == 0; }, 600000)) {
        GiveUp("Clear did not empty the list of 300000 rows");
    }
    double clearMs = NowMs() - start;
    Sleep(200);
    questioner.stop = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    Print("(8) Clear of rows 1..300000: %.3f s from the click; "
          "the list's row count asked %.0f times meanwhile, longest answer %.1f ms, %.0f "
          "unanswered within 5 s\n",
          clearMs / 1000.0, questioner.asked, questioner.longestMs, questioner.unanswered);
    RunToEnd(&tool, 1, LARGE_ROWS, 900000);
    start = NowMs();
    DWORD exitCode = 0;
    if (!tool.ClickCloseBox() || !tool.WaitForExit(600000, &exitCode)) {
        GiveUp("the close box did not end the tool with 300000 rows");
    }
    Print("    the close box with rows 1..300000: the process ended %.3f s after the click, exit "
          "code %.0f\n",
          (NowMs() - start) / 1000.0, exitCode);
}

void ExecutableSize(const char* relativePath) {
    std::string path = WindowsPathOf((std::string(SOURCE_DIR) + "/" + relativePath).c_str());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        printf("(5) %s: not built\n", relativePath);
    } else {
        printf("(5) %s: %lu bytes\n", relativePath, data.nFileSizeLow);
    }
    fflush(stdout);
}
} // namespace

// With the argument "rows", only the row figures: the rates, the breakdown and the long run;
// with "copy", only the copy of 100,000 rows; with "large", only the list of 300,000 rows;
// with "update", only where a count update's time goes.
void MainProgram() {
    bool rowsOnly = strstr(GetCommandLineA(), " rows") != nullptr;
    if (strstr(GetCommandLineA(), " copy") != nullptr) {
        CopyTime();
        ExitProcess(0);
    }
    if (strstr(GetCommandLineA(), " large") != nullptr) {
        LargeList();
        ExitProcess(0);
    }
    if (strstr(GetCommandLineA(), " update") != nullptr) {
        CountUpdateCost(false);
        CountUpdateCost(true);
        ExitProcess(0);
    }
    if (!rowsOnly) {
        TurnCost();
    }
    RowRates(!rowsOnly);
    CountUpdateCost(false);
    CountUpdateCost(true);
    TurnBreakdown("rows 1..40000, the list at its top", 1, RATE_ROWS, 0);
    TurnBreakdown("rows 1..40000, the list scrolled to its end at row 3000", 1, RATE_ROWS, 3000);
    TurnBreakdown("the 40000 rows below 2^31, the list at its top", FirstBelowLargest(RATE_ROWS),
                  RATE_ROWS, 0);
    LateAgainstEarly();
    if (rowsOnly) {
        ExitProcess(0);
    }
    MemoryPerRow("1..100000", 1);
    MemoryPerRow("the numbers below 2^31", FirstBelowLargest(MEMORY_ROWS));
    IdleProcessorTime();
    CopyTime();
    LargeList();
    ExecutableSize("build/i686/primfaktoren.exe");
    ExecutableSize("build/x86_64/primfaktoren.exe");
    ExitProcess(0);
}

int main() {
    StartUp();
}
