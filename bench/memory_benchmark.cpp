// Memory figures of the processing loop, taken in this process, where its heaps can be
// walked: the loop's own turns against a real main window add the rows, as in the tool.
// Prints, for 100,000 small numbers and for the 100,000 numbers below 2^31, the committed
// private bytes per row, the heap bytes the rows keep alive, what Clear gives back and how
// long it takes.
// Built for both targets, so the 32-bit figures are the shipped program's own.
//   memory_benchmark.exe            the two ranges
//   memory_benchmark.exe capacity [LAST]
//                                   the rows 1..LAST (10,000,000 unless given), or as many
//                                   of them as fit before the run ends by itself for want
//                                   of memory; every row is then checked whole, and the
//                                   message checked against where the list ends. Then
//                                   Clear, the same range once more, and the close.
#include "app/App.h"
#include "bench/CommittedMemory.h"
#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {
constexpr int32_t ROWS = 100000;
constexpr int32_t LARGEST = 2147483647;
constexpr int32_t CAPACITY_REPORT_EVERY = 500000;
constexpr int32_t CAPACITY_LAST = 10000000;
constexpr int32_t MESSAGE_SIZE = 512;

struct Memory {
    double committed; // private pages committed in the address space
    double live;      // bytes of busy blocks in all of the process's heaps
};

Memory MemoryNow() {
    Memory memory = {};
    memory.committed = CommittedPrivateBytes(GetCurrentProcess());
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; i++) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                memory.live += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return memory;
}

HWND Handle(int32_t number) {
    return LookupControlRecord(number)->handle;
}

bool IsRunning() {
    return IsWindowEnabled(Handle(STOP_BUTTON)) != FALSE;
}

// Turns without rows, until the repaint after the last row has come and gone.
void Settle() {
    for (int turn = 0; turn < 200; turn++) {
        RunTurn();
        Sleep(1);
    }
}

// Types nothing: sets the fields, presses Start and turns the loop until the run ends.
// Calls report(rows) after every CAPACITY_REPORT_EVERY rows when given.
int32_t RunRange(const char* first, const char* last, void (*report)(int32_t rows)) {
    SetWindowTextA(Handle(FIRST_FIELD), first);
    SetWindowTextA(Handle(LAST_FIELD), last);
    Settle();
    PostMessageA(Handle(START_BUTTON), BM_CLICK, 0, 0);
    while (!IsRunning()) {
        RunTurn();
    }
    int32_t next = CAPACITY_REPORT_EVERY;
    while (IsRunning()) {
        RunTurn();
        if (report != nullptr && CountControlRows(RESULT_LIST) >= next) {
            report(next);
            next += CAPACITY_REPORT_EVERY;
        }
    }
    Settle();
    return CountControlRows(RESULT_LIST);
}

void PrintMegabytes(const char* when, const Memory& memory) {
    printf("    %s: committed %.1f MB, live in the heaps %.1f MB\n", when, memory.committed / 1e6,
           memory.live / 1e6);
    fflush(stdout);
}

void PerRow(const char* name, const char* first, const char* last) {
    Memory start = MemoryNow();
    int32_t rows = RunRange(first, last, nullptr);
    Memory filled = MemoryNow();
    DWORD clearStart = GetTickCount();
    ClearControlRows(RESULT_LIST);
    DWORD clearMs = GetTickCount() - clearStart;
    Settle();
    Memory cleared = MemoryNow();
    printf("%s, %ld rows: %.0f committed bytes per row, %.0f live bytes per row\n", name,
           static_cast<long>(rows), (filled.committed - start.committed) / rows,
           (filled.live - start.live) / rows);
    PrintMegabytes("before", start);
    PrintMegabytes("with the rows", filled);
    PrintMegabytes("after Clear", cleared);
    printf("    Clear took %.1f s\n", clearMs / 1000.0);
    fflush(stdout);
}

DWORD capacityStart;

void ReportCapacity(int32_t rows) {
    Memory now = MemoryNow();
    printf("    %ld rows after %lu s: committed %.1f MB, live %.1f MB\n", static_cast<long>(rows),
           (GetTickCount() - capacityStart) / 1000, now.committed / 1e6, now.live / 1e6);
    fflush(stdout);
}

// The message boxes of the loop's thread, read and closed by a thread of their own as a
// user would click OK. Fixed buffers: the box comes when memory has run out.
struct Messages {
    DWORD thread;
    volatile LONG count;
    char first[MESSAGE_SIZE];
    volatile bool stopping;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && strcmp(name, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
    }
    return TRUE;
}

DWORD WINAPI CloseMessageBoxes(void* parameter) {
    Messages* messages = static_cast<Messages*>(parameter);
    while (!messages->stopping) {
        HWND box = nullptr;
        EnumThreadWindows(messages->thread, FindMessageBox, reinterpret_cast<LPARAM>(&box));
        if (box == nullptr) {
            Sleep(20);
            continue;
        }
        // The box's longest text is the message; the others are its button's and icon's.
        if (messages->count == 0) {
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                char text[MESSAGE_SIZE] = "";
                GetWindowTextA(child, text, sizeof text);
                if (strlen(text) > strlen(messages->first)) {
                    strcpy(messages->first, text);
                }
            }
        }
        InterlockedIncrement(&messages->count);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int wait = 0; wait < 500 && IsWindowVisible(box); wait++) {
            Sleep(10);
        }
    }
    return 0;
}

// Runs 1..last and says where it ended, what memory it took and what message came, and
// whether that message names the list's end and the missing numbers rightly.
int32_t FillToCapacity(const char* last, int32_t lastNumber) {
    Messages messages = {GetCurrentThreadId(), 0, "", false};
    HANDLE watcher = CreateThread(nullptr, 0, CloseMessageBoxes, &messages, 0, nullptr);
    capacityStart = GetTickCount();
    int32_t rows = RunRange("1", last, ReportCapacity);
    messages.stopping = true;
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
    Memory full = MemoryNow();
    printf("the run ended after %ld rows, %lu s: committed %.1f MB, live %.1f MB\n",
           static_cast<long>(rows), (GetTickCount() - capacityStart) / 1000, full.committed / 1e6,
           full.live / 1e6);
    char expected[MESSAGE_SIZE] = "";
    if (rows + 1 == lastNumber) {
        wsprintfA(expected,
                  "Der Speicher reicht nicht aus. Die Liste endet bei %ld; es fehlt die Zahl %ld.",
                  static_cast<long>(rows), static_cast<long>(lastNumber));
    } else if (rows < lastNumber) {
        wsprintfA(expected,
                  "Der Speicher reicht nicht aus. Die Liste endet bei %ld; es fehlen die Zahlen "
                  "%ld bis %ld.",
                  static_cast<long>(rows), static_cast<long>(rows + 1),
                  static_cast<long>(lastNumber));
    }
    printf("messages: %ld, the first \"%s\": %s\n", static_cast<long>(messages.count),
           messages.first,
           messages.count == (expected[0] != 0 ? 1 : 0) && strcmp(messages.first, expected) == 0
               ? "right"
               : "WRONG");
    printf("then the window is idle: Start %s, Stop %s\n",
           IsWindowEnabled(Handle(START_BUTTON)) ? "enabled" : "disabled",
           IsRunning() ? "enabled" : "disabled");
    fflush(stdout);
    return rows;
}

// True when the cell holds exactly `text`.
bool CellHolds(int32_t row, int32_t column, const char* text) {
    char* cell = MarkScratch();
    ReadControlCell(RESULT_LIST, row, column);
    SealScratch();
    bool same = strcmp(cell, text) == 0;
    ReleaseScratch(cell);
    return same;
}

// Every row must be whole: its number row + 1 and the texts that the text procedures give
// for it, none cut.
void CheckRows(int32_t rows) {
    DWORD checkStart = GetTickCount();
    int32_t wrong = 0;
    int32_t unchecked = 0;
    for (int32_t row = 0; row < rows; row++) {
        int32_t number = row + 1;
        char* mark = MarkScratch();
        AppendNumber(number);
        SealScratch();
        bool whole = CellHolds(row, 0, mark);
        ReleaseScratch(mark);
        for (int32_t column = 1; whole && column < 3; column++) {
            char* text = column == 1 ? PrimeFactorText(number, ", ") : DivisorText(number, ", ");
            if (text == nullptr) {
                unchecked++;
                ReleaseScratch(mark);
                break;
            }
            SealScratch();
            whole = CellHolds(row, column, text);
            ReleaseScratch(mark);
        }
        if (!whole) {
            if (wrong++ < 5) {
                printf("    row %ld is not whole\n", static_cast<long>(row));
            }
        }
    }
    printf("rows checked: %ld in %.1f s, %ld not whole, %ld without a text to compare\n",
           static_cast<long>(rows), (GetTickCount() - checkStart) / 1000.0,
           static_cast<long>(wrong), static_cast<long>(unchecked));
    fflush(stdout);
}

void Capacity(int32_t lastNumber) {
    char last[12];
    wsprintfA(last, "%ld", static_cast<long>(lastNumber));
    printf("rows 1..%s, or until the run ends by itself (%u-bit process)\n", last,
           static_cast<unsigned>(8 * sizeof(void*)));
    fflush(stdout);
    int32_t rows = FillToCapacity(last, lastNumber);
    CheckRows(rows);
    DWORD clearStart = GetTickCount();
    ClearControlRows(RESULT_LIST);
    printf("Clear of them took %.3f s\n", (GetTickCount() - clearStart) / 1000.0);
    Settle();
    PrintMegabytes("after Clear", MemoryNow());
    printf("the same range once more:\n");
    fflush(stdout);
    rows = FillToCapacity(last, lastNumber);
    // The close box's way: the system's close command, the window's end with its rows, the
    // heap given back, as the tool's shutdown does before the process ends.
    DWORD closeStart = GetTickCount();
    PostMessageA(GetCurrentWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    while (RunTurn() != TurnOutcome::Close) {
    }
    CloseAllWindows();
    HeapDestroy(AppHeap);
    printf("the close with %ld rows took %.3f s\n", static_cast<long>(rows),
           (GetTickCount() - closeStart) / 1000.0);
    fflush(stdout);
}
} // namespace

void MainProgram() {
    if (!CreateMainWindow()) {
        printf("benchmark failed: no main window\n");
        ExitProcess(1);
    }
    Settle();
    if (const char* capacity = strstr(GetCommandLineA(), "capacity")) {
        long last = strtol(capacity + strlen("capacity"), nullptr, 10);
        Capacity(last > 0 ? static_cast<int32_t>(last) : CAPACITY_LAST);
    } else {
        char first[12];
        wsprintfA(first, "%ld", static_cast<long>(LARGEST - (ROWS - 1)));
        PerRow("1..100000", "1", "100000");
        PerRow("the 100,000 numbers below 2^31", first, "2147483647");
    }
    ExitProcess(0);
}

int main() {
    StartUp();
}
