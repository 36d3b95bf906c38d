// The event poll: takes at most one waiting message, never waits.
#include "runtime/window/WindowState.h"

int32_t PollEvent() {
    if (!PeekMessageA(&PollMessage, nullptr, 0, 0, PM_REMOVE)) {
        // A pending event stays pending for the next poll that takes a message.
        return 0;
    }
    HWND active = GetActiveWindow();
    HACCEL shortcuts = LookupWindowAccelerators(active);
    if (shortcuts == nullptr || !TranslateAcceleratorA(active, shortcuts, &PollMessage)) {
        TranslateMessage(&PollMessage);
        DispatchMessageA(&PollMessage);
    }
    int32_t result = CurrentEvent.eventCode;
    if (result == 0) {
        result = static_cast<int32_t>(PollMessage.message);
    }
    CurrentEvent.eventCode = 0;
    return result;
}

int32_t EventControlNumber() {
    return CurrentEvent.controlNumber;
}
