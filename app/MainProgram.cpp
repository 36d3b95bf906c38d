// The main program: the main window, then turns of the processing loop until the window is
// closed.
#include "app/App.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

void MainProgram() {
    if (!CreateMainWindow()) {
        Shutdown();
    }
    for (;;) {
        TurnOutcome outcome = RunTurn();
        if (outcome == TurnOutcome::Close) {
            break;
        }
        // Nothing can change before the next message arrives.
        if (outcome == TurnOutcome::Idle) {
            WaitForMessage();
        }
    }
    Shutdown();
}
