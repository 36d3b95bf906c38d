// All state of the window runtime, in one place.
#include "runtime/window/WindowState.h"

WindowTableState WindowTable;
WindowRecord NullWindowRecord;
WNDCLASSA WindowClassTemplate;
HBRUSH BackgroundBrush;
char ClassNameBuffer[CLASS_NAME_BUFFER_SIZE];
HWND CurrentWindow;
CurrentEventState CurrentEvent;
MSG PollMessage;
HHOOK PostedNotificationFilter;
NotificationHandler ControlNotificationHandler;
FocusTraversalState FocusTraversal;

void ClearWindowState() {
    WindowTable = {};
    NullWindowRecord = {};
    WindowClassTemplate = {};
    BackgroundBrush = nullptr;
    ZeroMemory(ClassNameBuffer, sizeof ClassNameBuffer);
    CurrentWindow = nullptr;
    CurrentEvent = {};
    PollMessage = {};
    PostedNotificationFilter = nullptr;
    FocusTraversal = {};
}
