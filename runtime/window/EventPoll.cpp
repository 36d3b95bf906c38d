// The event poll: takes at most one waiting message, never waits.
#include "runtime/window/WindowState.h"

namespace {
bool IsEventCode(UINT message) {
    int32_t number = static_cast<int32_t>(message);
    return number == EVENT_SIZE || number == EVENT_CLOSE || number == EVENT_CONTROL;
}

// A close request that arrived while a message box was open, or beside another event,
// must end the program: it is returned as soon as it is seen, even from an empty queue
// (the application waits for input after a poll that returns 0). Any other pending event
// stays pending.
bool TakeCloseRequest() {
    bool requested = CurrentEvent.closeRequested;
    CurrentEvent.closeRequested = false;
    return requested;
}
} // namespace

int32_t PollEvent() {
    if (!PeekMessageA(&PollMessage, nullptr, 0, 0, PM_REMOVE)) {
        // A pending event stays pending for the next poll that takes a message.
        return TakeCloseRequest() ? EVENT_CLOSE : 0;
    }
    HWND active = GetActiveWindow();
    HACCEL shortcuts = LookupWindowAccelerators(active);
    if (PressButtonForEnter(active, PollMessage)) {
        // Taken whole: no character follows.
    } else if (shortcuts == nullptr || !TranslateAcceleratorA(active, shortcuts, &PollMessage)) {
        TranslateMessage(&PollMessage);
        DispatchMessageA(&PollMessage);
    }
    if (TakeCloseRequest()) {
        return EVENT_CLOSE;
    }
    int32_t result = CurrentEvent.eventCode;
    // A message whose number is an event code (posted by another program, or to the thread
    // where no window records it) recorded no event: it is none, like WM_NULL.
    if (result == 0 && !IsEventCode(PollMessage.message)) {
        result = static_cast<int32_t>(PollMessage.message);
    }
    CurrentEvent.eventCode = 0;
    return result;
}

int32_t EventControlNumber() {
    return CurrentEvent.controlNumber;
}
