// Keeps Wine's desktop open for a whole test session. Wine closes the desktop, and its
// explorer.exe process ends, soon after the last program using it has ended; the next
// program starts a new explorer.exe, which inherits that program's standard output. Under
// CTest that is a pipe, and CTest waits for it to close: as long as later tests keep the
// new desktop busy, the test whose output it was hangs until its timeout, although it had
// printed its results and ended. Started once with null standard handles, this program
// uses the desktop until the session's server is stopped.
//   keep_desktop.exe
// Prints "ready" once the desktop window exists.
#include <windows.h>

#include <stdio.h>

int main() {
    if (GetDesktopWindow() == nullptr) {
        printf("no desktop\n");
        return 1;
    }
    printf("ready\n");
    fflush(stdout);
    for (;;) {
        Sleep(INFINITE);
    }
}
