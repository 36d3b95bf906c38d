// Tab and Shift+Tab among the enabled, visible tab-stop descendants of the active window,
// in the order EnumChildWindows reports them. No list is kept: every call walks afresh.
#include "runtime/window/WindowState.h"

// The three tests in this order; a window that fails one is not tested further.
bool IsEligibleControl(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP);
}

// Typing then replaces the text instead of adding to it.
void SelectWholeText(HWND control) {
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

// Selected before the focus moves, as dialogs do, so the caret never shows at the old place.
void FocusAsTabDoes(HWND control) {
    SelectWholeText(control);
    SetFocus(control);
}

namespace {
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
        FocusAsTabDoes(window);
        FocusTraversal.armed = false;
        return FALSE;
    }
    if (FocusTraversal.startWindow == nullptr) {
        FocusAsTabDoes(window);
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
        FocusAsTabDoes(FocusTraversal.previousWindow);
        FocusTraversal.done = true;
        FocusTraversal.previousWindow = window;
        return FALSE;
    }
    FocusTraversal.previousWindow = window;
    return TRUE;
}
} // namespace

bool FocusFirstControl(HWND window) {
    FocusTraversal = {};
    if (window == nullptr) {
        return false;
    }
    EnumChildWindows(window, VisitForNext, 0);
    return IsChild(window, GetFocus());
}

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
        FocusAsTabDoes(FocusTraversal.previousWindow);
    }
}
