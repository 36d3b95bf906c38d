// The focus of a runtime window, kept as a dialog keeps it: the control that holds it is
// remembered while the window is inactive and takes it again when the window is activated.
#include "runtime/window/WindowState.h"

namespace {
// The control of the open window that holds or gets back its focus; null when none, or
// when that control can no longer take it.
HWND WindowFocus(const WindowRecord& record) {
    HWND focus = GetActiveWindow() == record.handle ? GetFocus() : record.focus;
    if (focus == nullptr || !IsChild(record.handle, focus) || !IsWindowEnabled(focus) ||
        !IsWindowVisible(focus)) {
        return nullptr;
    }
    return focus;
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
    HWND focus = WindowFocus(*record);
    if (focus == nullptr) {
        // The control disabled meanwhile: the first one Tab reaches.
        return FocusFirstControl(window);
    }
    // Only the focus comes back: a field keeps the selection it had.
    SetFocus(focus);
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
