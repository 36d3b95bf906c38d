// Checks the running tool as a user would see it, for the smoke test of the shipped program
// and the run script. Reads another process's window only, so it works for the 32-bit
// program as for its 64-bit twin. Exit code 0 when every check held, 1 otherwise; each
// finding goes to standard output.
//   check_running_tool.exe window SECONDS
//       waits for the window, its eight controls and the first idle turn, checks caption,
//       client size, controls, columns and enabled states, and ends with the line
//       "start-button X Y": the screen point at the middle of Start
//   check_running_tool.exe rows COUNT SECONDS
//       waits until the list holds COUNT rows and the run has ended, then checks every cell
//       against the numbers 1 to COUNT
#include "tests/tools/RemoteList.h"

#include <windows.h>

#include <commctrl.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {
constexpr UINT READ_TIMEOUT_MS = 5000;
constexpr char CAPTION[] = "Primfaktoren und Teiler";

enum ToolControl {
    RESULT_LIST = 0,
    FIRST_FIELD = 2,
    LAST_FIELD = 4,
    START = 5,
    STOP = 6,
    CLEAR = 7
};

struct ExpectedControl {
    int number;
    const char* className;
    const char* text;
    RECT rect; // in the client area: left, top, right, bottom
};

const ExpectedControl CONTROLS[] = {
    {1, "Static", "Von", {0, 4, 20, 20}},      {2, "Edit", "1", {22, 1, 92, 21}},
    {3, "Static", "bis", {95, 4, 110, 20}},    {4, "Edit", "100", {112, 1, 182, 21}},
    {5, "Button", "Start", {190, 1, 230, 21}}, {6, "Button", "Stop", {240, 1, 280, 21}},
    {7, "Button", "Clear", {290, 1, 330, 21}}, {0, "SysListView32", "", {5, 25, 595, 495}},
};

const char* const COLUMN_TITLES[] = {"Zahl", "Primfaktoren", "Teiler"};
// The list view draws a cell's text after a margin and leaves a padding behind it.
constexpr int LIST_CELL_PADDING = 12;

int failures = 0;

void Fail(const char* format, ...) {
    va_list values;
    va_start(values, format);
    printf("wrong: ");
    vprintf(format, values);
    printf("\n");
    va_end(values);
    failures++;
}

double Seconds() {
    return static_cast<double>(GetTickCount64()) / 1000.0;
}

template <typename Condition> bool WaitUntil(Condition holds, double seconds) {
    double deadline = Seconds() + seconds;
    while (!holds()) {
        if (Seconds() > deadline) {
            return false;
        }
        Sleep(100);
    }
    return true;
}

HWND FindToolWindow() {
    HWND window = FindWindowA("WindowClass_0", CAPTION);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

std::string TextOf(HWND window) {
    char text[1024] = "";
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, READ_TIMEOUT_MS, &length) == 0) {
        return "<no answer>";
    }
    return std::string(text, length);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsEnabled(HWND window, int number) {
    return IsWindowEnabled(GetDlgItem(window, number)) != FALSE;
}

// The enabled states of an idle turn with an empty list and the default range.
bool ShowsFirstIdleTurn(HWND window) {
    return !IsEnabled(window, STOP) && IsEnabled(window, START) && IsEnabled(window, FIRST_FIELD) &&
           IsEnabled(window, LAST_FIELD) && !IsEnabled(window, CLEAR);
}

// The independent reference: factors by plain trial division, divisors by trying every
// number up to n; 1 has no factors and is its own only divisor.
std::string ExpectedFactors(int n) {
    std::string text;
    for (int d = 2; n > 1;) {
        if (n % d == 0) {
            text += (text.empty() ? "" : ", ") + std::to_string(d);
            n /= d;
        } else {
            d++;
        }
    }
    return text;
}

std::string ExpectedDivisors(int n) {
    std::string text;
    for (int d = 1; d <= n; d++) {
        if (n % d == 0) {
            text += (text.empty() ? "" : ", ") + std::to_string(d);
        }
    }
    return text;
}

int CheckWindow(double seconds) {
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = FindToolWindow()) != nullptr; }, seconds)) {
        printf("wrong: no visible window \"%s\" appeared in %.0f s\n", CAPTION, seconds);
        return 1;
    }
    printf("window appeared\n");
    if (!WaitUntil([&] { return ShowsFirstIdleTurn(window); }, 30)) {
        Fail("the controls never showed the idle state: Stop %d, Start %d, fields %d %d, Clear %d "
             "(1 = enabled; expected 0 1 1 1 0)",
             IsEnabled(window, STOP), IsEnabled(window, START), IsEnabled(window, FIRST_FIELD),
             IsEnabled(window, LAST_FIELD), IsEnabled(window, CLEAR));
    }
    std::string caption = TextOf(window);
    if (caption != CAPTION) {
        Fail("caption \"%s\"", caption.c_str());
    }
    RECT client = {};
    GetClientRect(window, &client);
    if (client.right != 600 || client.bottom != 500) {
        Fail("client area %ld x %ld instead of 600 x 500", client.right, client.bottom);
    }
    int children = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children++;
    }
    if (children != 8) {
        Fail("%d controls instead of 8", children);
    }
    for (const ExpectedControl& expected : CONTROLS) {
        HWND control = GetDlgItem(window, expected.number);
        if (control == nullptr) {
            Fail("no control %d (\"%s\")", expected.number, expected.text);
            continue;
        }
        std::string className = ClassOf(control);
        if (_stricmp(className.c_str(), expected.className) != 0) {
            Fail("control %d is a %s, not a %s", expected.number, className.c_str(),
                 expected.className);
        }
        std::string text = TextOf(control);
        if (expected.number != RESULT_LIST && text != expected.text) {
            Fail("control %d shows \"%s\" instead of \"%s\"", expected.number, text.c_str(),
                 expected.text);
        }
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        if (!EqualRect(&rect, &expected.rect)) {
            Fail("control %d (\"%s\") at (%ld, %ld) size %ld x %ld instead of (%ld, %ld) size "
                 "%ld x %ld",
                 expected.number, expected.text, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, expected.rect.left, expected.rect.top,
                 expected.rect.right - expected.rect.left,
                 expected.rect.bottom - expected.rect.top);
        }
    }
    RemoteList list(GetDlgItem(window, RESULT_LIST), READ_TIMEOUT_MS);
    if (!list.IsUsable()) {
        Fail("the list's process lends no memory to read the list");
    }
    printf("list read as a %d-bit program's\n", list.OwnerIs32Bit() ? 32 : 64);
    int widths = 0;
    for (int column = 0; column < 3; column++) {
        std::string title;
        if (!list.ColumnTitle(column, &title) || title != COLUMN_TITLES[column]) {
            Fail("column %d is headed \"%s\" instead of \"%s\"", column, title.c_str(),
                 COLUMN_TITLES[column]);
        }
        widths += list.ColumnWidth(column);
    }
    int widest = list.StringWidth("-2147483648");
    if (list.ColumnWidth(0) < widest + LIST_CELL_PADDING) {
        Fail("column 0 is %d wide, too narrow for -2147483648 (%d wide)", list.ColumnWidth(0),
             widest);
    }
    // The columns must fit beside the vertical scroll bar that a full list brings.
    RECT inside = {};
    GetClientRect(GetDlgItem(window, RESULT_LIST), &inside);
    if (widths > inside.right - GetSystemMetrics(SM_CXVSCROLL)) {
        Fail("the columns are %d wide together, more than the list's inside beside a scroll "
             "bar (%ld)",
             widths, inside.right - GetSystemMetrics(SM_CXVSCROLL));
    }
    std::string none;
    if (list.ColumnTitle(3, &none)) {
        Fail("the list has a fourth column \"%s\"", none.c_str());
    }
    if (list.RowCount() != 0) {
        Fail("the list starts with %d rows", list.RowCount());
    }
    RECT start = {};
    GetWindowRect(GetDlgItem(window, START), &start);
    if (failures == 0) {
        printf("window, 8 controls, 3 columns and the idle state as expected\n");
    }
    printf("start-button %ld %ld\n", (start.left + start.right) / 2,
           (start.top + start.bottom) / 2);
    return failures == 0 ? 0 : 1;
}

int CheckRows(int count, double seconds) {
    HWND window = FindToolWindow();
    if (window == nullptr) {
        printf("wrong: the window is gone\n");
        return 1;
    }
    RemoteList list(GetDlgItem(window, RESULT_LIST), READ_TIMEOUT_MS);
    int rows = -1;
    bool ended = WaitUntil(
        [&] {
            rows = list.RowCount();
            return rows >= count && IsEnabled(window, START) && !IsEnabled(window, STOP);
        },
        seconds);
    if (!ended) {
        printf("wrong: the list holds %d rows after %.0f s (expected %d and the run ended)\n", rows,
               seconds, count);
        return 1;
    }
    // A row too many would follow within a turn or two.
    Sleep(500);
    rows = list.RowCount();
    if (rows != count) {
        Fail("the list holds %d rows instead of %d", rows, count);
    }
    int correct = 0;
    for (int row = 0; row < count; row++) {
        int n = row + 1;
        const std::string expected[3] = {std::to_string(n), ExpectedFactors(n),
                                         ExpectedDivisors(n)};
        bool rowCorrect = true;
        for (int column = 0; column < 3; column++) {
            std::string cell;
            if (!list.CellText(row, column, &cell)) {
                Fail("row %d, column %d cannot be read", n, column);
                rowCorrect = false;
            } else if (cell != expected[column]) {
                Fail("row %d, column %d shows \"%s\" instead of \"%s\"", n, column, cell.c_str(),
                     expected[column].c_str());
                rowCorrect = false;
            }
        }
        correct += rowCorrect ? 1 : 0;
        if (failures > 20) {
            printf("more than 20 wrong cells: giving up\n");
            break;
        }
    }
    printf("%d correct rows\n", correct);
    return failures == 0 ? 0 : 1;
}
} // namespace

int main(int count, char** arguments) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (count == 3 && strcmp(arguments[1], "window") == 0) {
        return CheckWindow(atof(arguments[2]));
    }
    if (count == 4 && strcmp(arguments[1], "rows") == 0) {
        return CheckRows(atoi(arguments[2]), atof(arguments[3]));
    }
    fprintf(stderr, "usage: check_running_tool.exe window SECONDS\n"
                    "       check_running_tool.exe rows COUNT SECONDS\n");
    return 2;
}
