// All global state of the window runtime, in one place; InitWindowRuntime zeroes it.
// Internal to the window runtime (tests read it too).
#pragma once

#include "runtime/window/Window.h"

struct WindowRecord {
    HWND handle;              // null while no window is open under the number
    int32_t acceleratorCount; // 2 once a window was created under the number
    ACCEL* acceleratorArray;  // on AppHeap, owned by the record
    HACCEL acceleratorTable;  // built from the array, owned by the record
    HWND focus;               // the control that had the focus when the window was last
                              // deactivated, or was given it meanwhile; null: none
    HWND defaultButton;       // the button Enter presses from a control that is no button
};

struct WindowTableState {
    int32_t capacity;      // numbers 0 .. capacity - 1 are in use; never shrinks
    WindowRecord* records; // capacity + 2 records on AppHeap; the spares keep `capacity` inside
};

// A close request is kept apart from the pending event: no event recorded after it may
// replace it, so it holds until a poll returns EVENT_CLOSE.
struct CurrentEventState {
    int32_t eventCode;     // the pending event code other than EVENT_CLOSE; 0: none pending
    int32_t controlNumber; // control of the most recent control event; never reset
    bool closeRequested;   // a WM_CLOSE arrived that no poll has returned yet
};

// FocusNextControl uses startWindow and armed, FocusPreviousControl startWindow,
// previousWindow and done; both reset it at the beginning of every call.
struct FocusTraversalState {
    HWND startWindow;
    bool armed;
    HWND previousWindow;
    bool done;
};

constexpr int32_t INITIAL_WINDOW_CAPACITY = 10;
constexpr int32_t SPARE_WINDOW_RECORDS = 2;
constexpr int32_t CLASS_NAME_BUFFER_SIZE = 50;

extern WindowTableState WindowTable;
// Returned for every number outside the table; never written.
extern WindowRecord NullWindowRecord;
extern WNDCLASSA WindowClassTemplate;
extern HBRUSH BackgroundBrush;
// The class name last formatted by FormatWindowClassName; WindowClassTemplate names it.
extern char ClassNameBuffer[CLASS_NAME_BUFFER_SIZE];
extern HWND CurrentWindow;
extern CurrentEventState CurrentEvent;
extern MSG PollMessage;
// DropPostedNotification on the thread's message retrieval; null when the platform refused it.
extern HHOOK PostedNotificationFilter;
// Given once by the control runtime, whose initialisation runs before this runtime's, so
// ClearWindowState leaves it; StartUp's zeroing of all state comes before both.
extern NotificationHandler ControlNotificationHandler;
extern FocusTraversalState FocusTraversal;

void ClearWindowState();

// The number's record; NullWindowRecord for a negative number or one above the capacity.
WindowRecord* LookupWindowRecord(int32_t number);
// The record of the open window with this handle; null for any other handle.
WindowRecord* FindWindowRecord(HWND windowHandle);
// Writes "WindowClass_<number>" into ClassNameBuffer.
void FormatWindowClassName(int32_t number);
// Builds the accelerator array and table of an open window's record.
void CreateWindowAccelerators(int32_t number);
// Enabled, visible and with a tab stop: a control Tab and Shift+Tab visit.
bool IsEligibleControl(HWND window);
// Selects an entry field's whole text; other controls are left alone.
void SelectWholeText(HWND control);
// Gives the focus to a control as Tab does: an entry field with its whole text selected.
void FocusAsTabDoes(HWND control);
// Gives the focus as Tab does to the first eligible control of `window` (null: no window);
// true when one of its controls holds the focus afterwards.
bool FocusFirstControl(HWND window);
// The focus of a window that is being activated (true) or deactivated: the control that
// held it is remembered, and takes it again on activation. False when the default
// processing is to run instead (no control to give it to).
bool KeepFocusOverActivation(HWND window, bool activated);
// Enter taken by the poll as a dialog takes it: presses the focused push button, or from
// another control the window's default button when it is enabled. False when the key is
// not Enter or the focused control wants it itself; the key is then processed as usual.
bool PressButtonForEnter(HWND active, const MSG& message);
// A WH_GETMESSAGE hook: turns every WM_NOTIFY taken from the thread's queue, by any loop,
// into WM_NULL before a window procedure sees it.
LRESULT CALLBACK DropPostedNotification(int code, WPARAM removal, LPARAM message);
