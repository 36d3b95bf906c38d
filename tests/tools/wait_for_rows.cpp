// Waits until the running tool's list holds the given number of rows and its run has
// ended (Start enabled again), for scripts that drive the tool. Exit code 0 when it did
// within the time, 1 otherwise.
//   wait_for_rows.exe ROWS [SECONDS]
#include <windows.h>

#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>

namespace {
// The tool's result list and Start button, by child-window identifier.
constexpr int RESULT_LIST = 0;
constexpr int START_BUTTON = 5;

bool RunHasEnded(LRESULT rows) {
    HWND window = FindWindowA("WindowClass_0", nullptr);
    if (window == nullptr) {
        return false;
    }
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, RESULT_LIST), LVM_GETITEMCOUNT, 0, 0,
                             SMTO_ABORTIFHUNG, 2000, &count)) {
        return false;
    }
    return static_cast<LRESULT>(count) == rows && IsWindowEnabled(GetDlgItem(window, START_BUTTON));
}
} // namespace

int main(int count, char** arguments) {
    if (count < 2) {
        fprintf(stderr, "usage: wait_for_rows.exe ROWS [SECONDS]\n");
        return 2;
    }
    LRESULT rows = atol(arguments[1]);
    DWORD seconds = count > 2 ? static_cast<DWORD>(atol(arguments[2])) : 30;
    DWORD deadline = GetTickCount() + seconds * 1000;
    while (!RunHasEnded(rows)) {
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
            fprintf(stderr, "the list did not reach %ld rows in %lu s\n", static_cast<long>(rows),
                    static_cast<unsigned long>(seconds));
            return 1;
        }
        Sleep(100);
    }
    return 0;
}
