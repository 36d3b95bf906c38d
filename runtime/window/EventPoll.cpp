// The event poll: takes at most one waiting message, never waits.
#include "runtime/window/WindowState.h"

namespace {
bool IsEventCode(UINT message) {
    int32_t number = static_cast<int32_t>(message);
    return number == EVENT_SIZE || number == EVENT_CLOSE || number == EVENT_CONTROL;
}
} // namespace

int32_t PollEvent() {
    if (!PeekMessageA(&PollMessage, nullptr, 0, 0, PM_REMOVE)) {
        // A pending event stays pending for the next poll that takes a message.
        return 0;
    }
    HWND active = GetActiveWindow();
    HACCEL shortcuts = LookupWindowAccelerators(active);
    if (PressButtonForEnter(active, PollMessage)) {
        // Taken whole: no character follows.
    } else if (shortcuts == nullptr || !TranslateAcceleratorA(active, shortcuts, &PollMessage)) {
        TranslateMessage(&PollMessage);
        DispatchMessageA(&PollMessage);
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
