// Enter as in a dialog: it presses the focused push button, or from any other control the
// window's default button.
#include "runtime/window/WindowState.h"

bool PressButtonForEnter(HWND active, const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) {
        return false;
    }
    WindowRecord* record = FindWindowRecord(active);
    HWND focus = GetFocus();
    if (record == nullptr || (focus != active && !IsChild(active, focus))) {
        return false;
    }
    LRESULT wants =
        SendMessageA(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&message));
    // A multi-line field takes Enter as a line break.
    if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) {
        return false;
    }
    HWND button =
        (wants & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) ? focus : record->defaultButton;
    // The command a click sends; a disabled button is not pressed, and the key is taken all
    // the same, so that no field receives it as a character it refuses.
    if (button != nullptr && IsWindowEnabled(button)) {
        SendMessageA(active, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    return true;
}
