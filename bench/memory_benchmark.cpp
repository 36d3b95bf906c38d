// Memory figures of the processing loop, taken in this process, where its heaps can be
// walked: the loop's own turns against a real main window add the rows, as in the tool.
// Prints, for 100,000 small numbers and for the 100,000 numbers below 2^31, the committed
// private bytes per row, the heap bytes the rows keep alive, what Clear gives back and how
// long it takes.
// Built for both targets, so the 32-bit figures are the shipped program's own.
//   memory_benchmark.exe            the two ranges
//   memory_benchmark.exe capacity   the rows 1..10,000,000, or as many of them as fit
//                                   before the run ends by itself for want of memory
#include "app/App.h"
#include "bench/CommittedMemory.h"
#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <stdio.h>
#include <string.h>

namespace {
constexpr int32_t ROWS = 100000;
constexpr int32_t LARGEST = 2147483647;
constexpr int32_t CAPACITY_REPORT_EVERY = 500000;

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

void Capacity() {
    printf("rows 1..10000000, or until the run ends by itself (%u-bit process)\n",
           static_cast<unsigned>(8 * sizeof(void*)));
    fflush(stdout);
    capacityStart = GetTickCount();
    int32_t rows = RunRange("1", "10000000", ReportCapacity);
    Memory full = MemoryNow();
    printf("the run ended after %ld rows, %lu s: committed %.1f MB, live %.1f MB\n",
           static_cast<long>(rows), (GetTickCount() - capacityStart) / 1000, full.committed / 1e6,
           full.live / 1e6);
    // The last row must be whole: its number, and its divisors, which are never empty.
    char* mark = MarkScratch();
    ReadControlCell(RESULT_LIST, rows - 1, 0);
    SealScratch();
    char* divisors = MarkScratch();
    ReadControlCell(RESULT_LIST, rows - 1, 2);
    printf("its last row: number %s, divisor text of %d characters\n", mark,
           static_cast<int>(strlen(divisors)));
    ReleaseScratch(mark);
    printf("then the window is idle: Start %s, Stop %s\n",
           IsWindowEnabled(Handle(START_BUTTON)) ? "enabled" : "disabled",
           IsRunning() ? "enabled" : "disabled");
    DWORD clearStart = GetTickCount();
    ClearControlRows(RESULT_LIST);
    printf("Clear of them took %.3f s\n", (GetTickCount() - clearStart) / 1000.0);
    fflush(stdout);
}
} // namespace

void MainProgram() {
    if (!CreateMainWindow()) {
        printf("benchmark failed: no main window\n");
        ExitProcess(1);
    }
    Settle();
    if (strstr(GetCommandLineA(), "capacity") != nullptr) {
        Capacity();
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
