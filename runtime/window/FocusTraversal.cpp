// Tab and Shift+Tab among the enabled, visible tab-stop descendants of the active window,
// in the order EnumChildWindows reports them. No list is kept: every call walks afresh.
#include "runtime/window/WindowState.h"

namespace {
// The three tests in this order; a window that fails one is not tested further.
bool IsEligibleControl(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP);
}

// The focus window when it is a descendant of the active window, else null.
HWND StartWindow(HWND active) {
    HWND focus = GetFocus();
    return IsChild(active, focus) ? focus : nullptr;
}

BOOL CALLBACK VisitForNext(HWND window, LPARAM) {
    if (!IsEligibleControl(window)) {
        return TRUE;
    }
    if (FocusTraversal.armed) {
        SetFocus(window);
        FocusTraversal.armed = false;
        return FALSE;
    }
    if (FocusTraversal.startWindow == nullptr) {
        SetFocus(window);
        return FALSE;
    }
    if (window == FocusTraversal.startWindow) {
        FocusTraversal.armed = true;
    }
    return TRUE;
}

BOOL CALLBACK VisitForPrevious(HWND window, LPARAM) {
    if (!IsEligibleControl(window)) {
        return TRUE;
    }
    if (window == FocusTraversal.startWindow && FocusTraversal.previousWindow != nullptr) {
        SetFocus(FocusTraversal.previousWindow);
        FocusTraversal.done = true;
        FocusTraversal.previousWindow = window;
        return FALSE;
    }
    FocusTraversal.previousWindow = window;
    return TRUE;
}
} // namespace

void FocusNextControl() {
    FocusTraversal = {};
    HWND active = GetActiveWindow();
    // Enumerating the children of no window would walk every top-level window of the
    // desktop. A shortcut arrives only while a runtime window is active; without one it was
    // sent by another program.
    if (active == nullptr) {
        return;
    }
    FocusTraversal.startWindow = StartWindow(active);
    EnumChildWindows(active, VisitForNext, 0);
    // The start window was the last eligible control: wrap to the first.
    if (FocusTraversal.armed) {
        EnumChildWindows(active, VisitForNext, 0);
    }
}

void FocusPreviousControl() {
    FocusTraversal = {};
    HWND active = GetActiveWindow();
    if (active == nullptr) {
        return;
    }
    FocusTraversal.startWindow = StartWindow(active);
    EnumChildWindows(active, VisitForPrevious, 0);
    // No predecessor found: the last eligible control of the order.
    if (!FocusTraversal.done && FocusTraversal.previousWindow != nullptr) {
        SetFocus(FocusTraversal.previousWindow);
    }
}
