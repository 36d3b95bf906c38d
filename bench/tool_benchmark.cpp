// Figures for the built tool on this machine, driven from outside as the end-to-end cases
// drive it: its row rate against a bare insertion loop, its slowest and median row near
// 2^31, its processor time while idle, and the sizes of both executables.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "tests/end_to_end/Automation.h"

#include <commctrl.h>

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

using namespace automation;

namespace {
constexpr int RATE_ROWS = 2000;
constexpr DWORD IDLE_MS = 10000;

void Print(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
    printf(format, a, b, c, d);
    fflush(stdout);
}

[[noreturn]] void GiveUp(const char* what) {
    printf("benchmark failed: %s\n", what);
    fflush(stdout);
    ExitProcess(1);
}

void LaunchIdleTool(ToolProcess* tool) {
    if (!tool->Launch(TOOL_EXECUTABLE, "", 20000) || !tool->WaitUntilIdle(5000)) {
        GiveUp("the tool did not start");
    }
}

void StartRange(ToolProcess* tool, const char* first, const char* last) {
    if (!tool->TypeIntoField(FIRST_FIELD, first) || !tool->TypeIntoField(LAST_FIELD, last) ||
        !WaitUntil([&] { return tool->IsEnabled(START_BUTTON); }, 2000) ||
        !tool->Click(START_BUTTON)) {
        GiveUp("could not start a range");
    }
}

// Asks for the row count as fast as the tool answers, which is once per turn of its loop,
// and notes when each row appeared. Returns the times of rows 1 to `rows`.
std::vector<double> RowTimes(const ToolProcess& tool, int rows, DWORD timeoutMs) {
    std::vector<double> times;
    double deadline = NowMs() + timeoutMs;
    while (static_cast<int>(times.size()) < rows && NowMs() < deadline) {
        int count = tool.RowCount();
        double now = NowMs();
        while (static_cast<int>(times.size()) < count) {
            times.push_back(now);
        }
    }
    if (static_cast<int>(times.size()) < rows) {
        GiveUp("the run did not end in time");
    }
    return times;
}

// The tool's rate for the rows 1 to 2000: from the first row to the last.
double ToolRowsPerSecond(double* seconds) {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    StartRange(&tool, "1", std::to_string(RATE_ROWS).c_str());
    // A count every 50 ms: frequent enough for a run of seconds, rare enough not to slow it.
    double first = 0;
    if (!WaitUntil([&] { return tool.RowCount() >= 1; }, 5000)) {
        GiveUp("no first row");
    }
    first = NowMs();
    double last = 0;
    if (!WaitUntil(
            [&] {
                Sleep(45);
                last = NowMs();
                return tool.RowCount() >= RATE_ROWS;
            },
            600000)) {
        GiveUp("the range 1 to 2000 did not end");
    }
    *seconds = (last - first) / 1000.0;
    return (RATE_ROWS - 1) / *seconds;
}

// The same rows into the same kind of list in the same kind of window, with one message
// taken per row and nothing else: the floor for a row here.
double BareRowsPerSecond(double* seconds) {
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
    HWND window = CreateWindowExA(0, "BareInsertionLoop", "Primfaktoren und Teiler", style,
                                  GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                                  GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, width, height,
                                  nullptr, nullptr, instance, nullptr);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr, 0x50010045, 5, 25, 590,
                                470, window, nullptr, instance, nullptr);
    if (window == nullptr || list == nullptr) {
        GiveUp("no window for the bare loop");
    }
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
    const char* titles[] = {"Zahl", "Primfaktoren", "Teiler"};
    const int widths[] = {50, 200, 336};
    for (int column = 0; column < 3; column++) {
        LVCOLUMNA description = {};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        description.fmt = LVCFMT_LEFT;
        description.cx = widths[column];
        description.pszText = const_cast<char*>(titles[column]);
        description.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&description));
    }
    // The texts come first, so the loop times the list and the messages alone.
    std::vector<std::string> cells[3];
    for (int number = 1; number <= RATE_ROWS; number++) {
        char* mark = MarkScratch();
        cells[0].push_back(std::to_string(number));
        cells[1].push_back(PrimeFactorText(number, ", "));
        ReleaseScratch(mark);
        cells[2].push_back(DivisorText(number, ", "));
        ReleaseScratch(mark);
    }
    double start = NowMs();
    for (int row = 0; row < RATE_ROWS; row++) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = &cells[0][row][0];
        int inserted = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int column = 1; column < 3; column++) {
            LVITEMA cell = {};
            cell.iSubItem = column;
            cell.pszText = &cells[column][row][0];
            SendMessageA(list, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&cell));
        }
    }
    *seconds = (NowMs() - start) / 1000.0;
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != RATE_ROWS) {
        GiveUp("the bare loop lost rows");
    }
    DestroyWindow(window);
    return RATE_ROWS / *seconds;
}

// The time each of the 100 rows below 2^31 took, from the row before it to its own.
void RowsNearLargestNumber() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    // One number more in front, so that each of the 100 has a row before it.
    StartRange(&tool, "2147483547", "2147483647");
    std::vector<double> times = RowTimes(tool, 101, 120000);
    std::vector<double> rowMs;
    int slowest = 1;
    for (int row = 1; row < 101; row++) {
        rowMs.push_back(times[row] - times[row - 1]);
        if (rowMs.back() > rowMs[slowest - 1]) {
            slowest = row;
        }
    }
    double slowestMs = rowMs[slowest - 1];
    std::sort(rowMs.begin(), rowMs.end());
    double medianMs = (rowMs[49] + rowMs[50]) / 2;
    Print("(2) rows for 2147483548..2147483647: slowest %.1f ms (for %.0f), median %.1f ms\n",
          slowestMs, 2147483547.0 + slowest, medianMs);
}

void IdleProcessorTime() {
    ToolProcess tool;
    LaunchIdleTool(&tool);
    Sleep(500);
    double before = tool.ProcessorSeconds();
    Sleep(IDLE_MS);
    double used = tool.ProcessorSeconds() - before;
    Print("(3) idle with the window open: %.3f processor seconds in %.0f s\n", used,
          IDLE_MS / 1000.0);
}

void ExecutableSize(const char* relativePath) {
    std::string path = WindowsPathOf((std::string(SOURCE_DIR) + "/" + relativePath).c_str());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        printf("(4) %s: not built\n", relativePath);
    } else {
        printf("(4) %s: %lu bytes\n", relativePath, data.nFileSizeLow);
    }
    fflush(stdout);
}
} // namespace

void MainProgram() {
    double toolSeconds = 0;
    double toolRate = ToolRowsPerSecond(&toolSeconds);
    double bareSeconds = 0;
    double bareRate = BareRowsPerSecond(&bareSeconds);
    Print("(1) rows 1..2000: tool %.1f rows/s (%.2f s), bare loop %.1f rows/s (%.2f s)\n", toolRate,
          toolSeconds, bareRate, bareSeconds);
    Print("    tool / bare loop = %.2f\n", toolRate / bareRate);
    RowsNearLargestNumber();
    IdleProcessorTime();
    ExecutableSize("build/i686/primfaktoren.exe");
    ExecutableSize("build/x86_64/primfaktoren.exe");
    ExitProcess(0);
}

int main() {
    StartUp();
}
