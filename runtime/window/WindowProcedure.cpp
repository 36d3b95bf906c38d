// The one window procedure of every runtime class: records the events the application
// sees, carries out the two focus commands, and defers size changes through the queue.
#include "runtime/window/WindowState.h"

namespace {
// A message sent from another thread is handled inside a poll that then finds the queue
// empty, or inside the idle wait's next peek; the event it records would stay pending until
// some unrelated message arrived. A message of no meaning makes sure a poll takes one.
void MakeSureAPollFollows(HWND window) {
    if (InSendMessage()) {
        PostMessageA(window, WM_NULL, 0, 0);
    }
}

void RecordEvent(HWND window, int32_t code) {
    CurrentEvent.eventCode = code;
    MakeSureAPollFollows(window);
}

// Another program can post a command or a notification naming any number and any window.
// Only a shown and enabled child of the window with that number can have sent it on a
// person's behalf; anything else records nothing.
void RecordControlEvent(HWND window, int32_t number, HWND sender) {
    if (sender == nullptr || GetParent(sender) != window || GetDlgCtrlID(sender) != number ||
        (GetWindowLongPtrA(sender, GWL_STYLE) & WS_VISIBLE) == 0 || !IsWindowEnabled(sender)) {
        return;
    }
    CurrentEvent.controlNumber = number;
    RecordEvent(window, EVENT_CONTROL);
}

// Notifications are never passed on to the default processing. The control runtime answers
// them and says which are events. The tool's own controls send theirs on this thread; one
// sent from another thread points into memory of no meaning here and is never read (nor one
// a control sends while this thread answers another thread's message: no person caused it).
// Posted ones never get here.
LRESULT OnNotify(HWND window, const NMHDR* header) {
    if (ControlNotificationHandler == nullptr || header == nullptr) {
        return 0;
    }
    NotificationAnswer answer = ControlNotificationHandler(header);
    if (!answer.isEvent || InSendMessage()) {
        return answer.result;
    }
    // A 64-bit identifier beyond 32 bits must not pass for the control its low bits name.
    int32_t number = static_cast<int32_t>(header->idFrom);
    if (static_cast<UINT_PTR>(number) == header->idFrom) {
        RecordControlEvent(window, number, header->hwndFrom);
    }
    return answer.result;
}

// A command with lParam 0 and a non-zero high word came from an accelerator.
bool IsShortcut(WPARAM wParam, LPARAM lParam, WORD command) {
    return lParam == 0 && HIWORD(wParam) != 0 && LOWORD(wParam) == command;
}
} // namespace

// Real notifications are always sent. A posted one, from another program, carries a pointer
// into that program's memory; the window procedures of the tool's windows and controls, its
// own and the platform's, would read it whichever loop dispatched it (the poll, or the
// platform's own loop while a window is moved).
LRESULT CALLBACK DropPostedNotification(int code, WPARAM removal, LPARAM message) {
    MSG* taken = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && taken->message == WM_NOTIFY) {
        taken->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        return OnNotify(window, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        if (lParam != 0) {
            RecordControlEvent(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        }
        if (IsShortcut(wParam, lParam, CMD_FOCUS_NEXT)) {
            FocusNextControl();
            return 0;
        }
        if (IsShortcut(wParam, lParam, CMD_FOCUS_PREVIOUS)) {
            FocusPreviousControl();
            return 0;
        }
        break;
    case WM_SIZE:
        // Reaches the application one poll later, as EVENT_SIZE.
        PostMessageA(window, DEFERRED_SIZE_MESSAGE, wParam, lParam);
        return 0;
    case DEFERRED_SIZE_MESSAGE:
        RecordEvent(window, EVENT_SIZE);
        return 0;
    case WM_CLOSE:
        // The window stays; the application decides when to close it. The next poll
        // returns the request, whatever is recorded meanwhile or waits in the queue.
        CurrentEvent.closeRequested = true;
        MakeSureAPollFollows(window);
        return 0;
    case WM_ACTIVATE:
        if (KeepFocusOverActivation(window, LOWORD(wParam) != WA_INACTIVE)) {
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // No window has a menu bar: the keys that would enter it (a lone Alt or F10, Alt with
        // a letter) would start a menu mode with nothing to show, whose loop runs instead of
        // the application's until the next key. Alt+Space still opens the system menu.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam != ' ') {
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void SetNotificationHandler(NotificationHandler handler) {
    ControlNotificationHandler = handler;
}
