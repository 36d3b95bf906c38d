// Window runtime: top-level windows addressed by number, a non-blocking event poll with
// the shared window procedure that records events, Tab / Shift+Tab focus traversal, and the
// focus and Enter key as a dialog keeps them.
#pragma once

#include <windows.h>

#include <stdint.h>

// The placement arithmetic of window creation, apart from the platform.
#include "runtime/window/WindowPlacement.h"

// Event codes share one range with the Win32 message numbers.
constexpr int32_t EVENT_SIZE = 5;
constexpr int32_t EVENT_CLOSE = 16;
constexpr int32_t EVENT_CONTROL = 13100;

// Posted back to a window for every WM_SIZE, so the size event reaches a later poll.
constexpr UINT DEFERRED_SIZE_MESSAGE = 12504;

// Accelerator commands of every window.
constexpr WORD CMD_FOCUS_NEXT = 1212;
constexpr WORD CMD_FOCUS_PREVIOUS = 1213;

// Requests carried in the flag word of CreateNumberedWindow; all other bits are style.
constexpr uint32_t WINDOW_CENTRE_SCREEN = 0x00000001;
constexpr uint32_t WINDOW_CENTRE_ACTIVE = 0x00000002;
// WS_VISIBLE with its sense inverted.
constexpr uint32_t WINDOW_HIDDEN = 0x10000000;

// Called once by start-up before any other window operation.
void InitWindowRuntime();

// Creates window `number` with a client area of width x height and its own class
// "WindowClass_<number>"; a window already open under the number is closed first.
// Returns null on failure: also for a negative number, for one too large for the table to
// be sized, and when the table cannot grow (it then stays as it was); nothing changes then.
HWND CreateNumberedWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                          uint32_t flags, const char* title);
// The window created most recently with success; null before the first.
HWND GetCurrentWindow();
// Destroys the window, unregisters its class and releases its accelerators; does nothing
// for a number with no open window.
void CloseNumberedWindow(int32_t number);
// Closes every window, highest number first.
void CloseAllWindows();
// The accelerator table of the open window with this handle, or null.
HACCEL LookupWindowAccelerators(HWND windowHandle);

// Takes at most one waiting message and never waits. Returns EVENT_CLOSE while a close
// request is pending, also when no message was waiting; otherwise 0 when none was
// waiting, else the pending event code if one is pending, else the message's number; 0
// also when that number is an event code's, since no event was recorded.
int32_t PollEvent();
// The number of the control of the most recent control event; 0 before the first.
int32_t EventControlNumber();
// Blocks until a message is waiting in the thread's queue, one already queued included.
// PollEvent itself never waits; this is for a caller that is idle.
void WaitForMessage();
// What a control's notification, sent to its window, means: the answer the window
// procedure returns, and whether the window records it as an event of the control.
struct NotificationAnswer {
    LRESULT result;
    bool isEvent;
};
// Answers the notifications of controls; the control runtime alone knows them, and gives
// its handler once, at its initialisation.
typedef NotificationAnswer (*NotificationHandler)(const NMHDR* header);
void SetNotificationHandler(NotificationHandler handler);
// The window procedure of every class the runtime registers.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Move the keyboard focus to the next / previous enabled, visible tab-stop descendant of
// the active window, wrapping at the ends.
void FocusNextControl();
void FocusPreviousControl();

// The focus as a dialog keeps it. A child is named by its child-window identifier (a
// control's number). While a window is inactive the control that had its focus is
// remembered and takes it again when the window is activated.
//
// The child that holds the focus of window `number`, or that gets it back on activation;
// -1 when none does, or that child has been disabled or hidden since.
int32_t FocusedChild(int32_t number);
// Gives the focus to a child of window `number` as Tab does, an entry field with its whole
// text selected; a child that cannot take it passes it to the first one Tab reaches. While
// the window is inactive the child is only remembered, so no other program loses the
// foreground.
void FocusChild(int32_t number, int32_t identifier);
// The push button that Enter presses, when it is enabled, while the focus is on a control
// that is no push button and does not take Enter itself; a focused push button is pressed
// by Enter itself.
void SetDefaultButton(int32_t number, int32_t identifier);

// Shows `text` with a warning sign and an OK button in a message box owned by `owner` and
// captioned with its title; returns once the user has closed it, with the focus where it
// was. The owner takes no input meanwhile.
void ShowWarning(HWND owner, const char* text);
