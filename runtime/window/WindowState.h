// All global state of the window runtime, in one place; InitWindowRuntime zeroes it.
// Internal to the window runtime (tests read it too).
#pragma once

#include "runtime/window/Window.h"

struct WindowRecord {
    HWND handle;              // null while no window is open under the number
    int32_t acceleratorCount; // 2 once a window was created under the number
    ACCEL* acceleratorArray;  // on AppHeap, owned by the record
    HACCEL acceleratorTable;  // built from the array, owned by the record
};

struct WindowTableState {
    int32_t capacity;      // numbers 0 .. capacity - 1 are in use; never shrinks
    WindowRecord* records; // capacity + 2 records on AppHeap; the spares keep `capacity` inside
};

struct CurrentEventState {
    int32_t eventCode;     // the pending event code; 0: none pending
    int32_t controlNumber; // control of the most recent control event; never reset
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
// The class name of a notification's sender.
extern char NotificationClassName[CLASS_NAME_BUFFER_SIZE];
// DropPostedNotification on the thread's message retrieval; null when the platform refused it.
extern HHOOK PostedNotificationFilter;
extern NotificationHandler ControlNotificationHandler;
extern FocusTraversalState FocusTraversal;

void ClearWindowState();

// The number's record; NullWindowRecord for a negative number or one above the capacity.
WindowRecord* LookupWindowRecord(int32_t number);
// Writes "WindowClass_<number>" into ClassNameBuffer.
void FormatWindowClassName(int32_t number);
// Builds the accelerator array and table of an open window's record.
void CreateWindowAccelerators(int32_t number);
// A WH_GETMESSAGE hook: turns every WM_NOTIFY taken from the thread's queue, by any loop,
// into WM_NULL before a window procedure sees it.
LRESULT CALLBACK DropPostedNotification(int code, WPARAM removal, LPARAM message);
