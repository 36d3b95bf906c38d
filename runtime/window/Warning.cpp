// A warning the user must acknowledge, in a message box owned by one of the runtime's
// windows.
#include "runtime/window/Window.h"

namespace {
// Room for the owner's title in the caption; a longer title is cut.
constexpr int CAPTION_SIZE = 100;
} // namespace

void ShowWarning(HWND owner, const char* text) {
    char caption[CAPTION_SIZE] = "";
    GetWindowTextA(owner, caption, CAPTION_SIZE);
    // The owner gets the focus back as a window, not the control that had it.
    HWND focus = GetFocus();
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
    if (focus != nullptr && IsWindowEnabled(focus)) {
        SetFocus(focus);
    }
}
