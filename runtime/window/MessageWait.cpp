// Waiting for the next message, for a caller with nothing to do until one arrives.
#include "runtime/window/Window.h"

void WaitForMessage() {
    // MWMO_INPUTAVAILABLE also returns for messages already queued but seen by an
    // earlier peek, so none is missed.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
