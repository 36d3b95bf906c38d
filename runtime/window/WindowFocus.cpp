// The focus of a runtime window, kept as a dialog keeps it: the control that holds it is
// remembered while the window is inactive and takes it again when the window is activated.
#include "runtime/window/WindowState.h"

namespace {
// A control of `window` that can hold its focus.
bool CanTakeFocus(HWND window, HWND control) {
    return control != nullptr && IsChild(window, control) && IsWindowEnabled(control) &&
           IsWindowVisible(control);
}

// The control of the open window that holds or gets back its focus; null when none, or
// when that control can no longer take it.
HWND WindowFocus(const WindowRecord& record) {
    HWND focus = GetActiveWindow() == record.handle ? GetFocus() : record.focus;
    return CanTakeFocus(record.handle, focus) ? focus : nullptr;
}
} // namespace

bool KeepFocusOverActivation(HWND window, bool activated) {
    WindowRecord* record = FindWindowRecord(window);
    // Activated while it is being created: no control exists yet.
    if (record == nullptr) {
        return false;
    }
    if (!activated) {
        HWND focus = GetFocus();
        if (IsChild(window, focus)) {
            record->focus = focus;
        }
        return false;
    }
    if (!CanTakeFocus(window, record->focus)) {
        // None yet, or the control was disabled meanwhile: the first one Tab reaches.
        return FocusFirstControl(window);
    }
    // Only the focus comes back: a field keeps the selection it had.
    SetFocus(record->focus);
    return true;
}

int32_t FocusedChild(int32_t number) {
    const WindowRecord* record = LookupWindowRecord(number);
    if (record->handle == nullptr) {
        return -1;
    }
    HWND focus = WindowFocus(*record);
    return focus != nullptr ? GetDlgCtrlID(focus) : -1;
}

void FocusChild(int32_t number, int32_t identifier) {
    WindowRecord* record = LookupWindowRecord(number);
    if (record->handle == nullptr) {
        return;
    }
    HWND control = GetDlgItem(record->handle, identifier);
    if (GetActiveWindow() != record->handle) {
        // Taking the focus now would take the foreground from the program the user is in.
        if (control != nullptr) {
            SelectWholeText(control);
        }
        record->focus = control;
        return;
    }
    if (control != nullptr && IsEligibleControl(control)) {
        FocusAsTabDoes(control);
    } else {
        FocusFirstControl(record->handle);
    }
}

void SetDefaultButton(int32_t number, int32_t identifier) {
    WindowRecord* record = LookupWindowRecord(number);
    if (record->handle != nullptr) {
        record->defaultButton = GetDlgItem(record->handle, identifier);
    }
}
