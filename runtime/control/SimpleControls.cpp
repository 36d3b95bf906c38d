// The push button, the one-line edit field and the text label: standard window classes
// created through CreateControlWindow, told apart by style and operations.
#include "runtime/control/ControlState.h"

namespace {
// WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP, BS_PUSHBUTTON.
constexpr uint32_t BUTTON_STYLE = 0x50030000;
// WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, left-aligned single line.
constexpr uint32_t EDIT_FIELD_STYLE = 0x50030080;
// WS_CHILD | WS_VISIBLE | WS_GROUP, SS_LEFT; no tab stop, so Tab passes labels by.
constexpr uint32_t LABEL_STYLE = 0x50020000;

int32_t GetCheck(HWND button) {
    return static_cast<int32_t>(SendMessageA(button, BM_GETCHECK, 0, 0));
}

void SetCheck(HWND button, int32_t value) {
    SendMessageA(button, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void SetPendingControl(const char* className, const ControlOps* ops, int32_t x, int32_t y,
                       int32_t width, int32_t height, const char* text, uint32_t flags) {
    PendingControl.className = className;
    PendingControl.x = x;
    PendingControl.y = y;
    PendingControl.width = width;
    PendingControl.height = height;
    PendingControl.text = text;
    PendingControl.flags = flags;
    PendingControl.ops = ops;
    PendingControl.keepsRecordOnFailure = false;
}
} // namespace

// The caption is read as it shows, as for every kind without ReadText.
const ControlOps ButtonOps = {
    .GetState = GetCheck, // BM_GETCHECK
    .SetState = SetCheck, // BM_SETCHECK
};

// Every generic operation of an edit field or a label is the common one.
const ControlOps EditOps = {};
const ControlOps LabelOps = {};

uint32_t EditFieldExtendedStyle(uint32_t flags) {
    return (flags & EDIT_NO_EDGE) != 0 ? 0 : WS_EX_CLIENTEDGE;
}

HWND CreateButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                  const char* caption) {
    SetPendingControl("BUTTON", &ButtonOps, x, y, width, height, caption, 0);
    return CreateControlWindow(number, BUTTON_STYLE, 0);
}

HWND CreateEditField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char* text, uint32_t flags) {
    SetPendingControl("EDIT", &EditOps, x, y, width, height, text, flags);
    return CreateControlWindow(number, EDIT_FIELD_STYLE | flags, EditFieldExtendedStyle(flags));
}

HWND CreateLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const char* text) {
    SetPendingControl("STATIC", &LabelOps, x, y, width, height, text, 0);
    return CreateControlWindow(number, LABEL_STYLE, 0);
}
