// The control table and the generic operations that reach a control by number.
#include "runtime/control/ControlState.h"

#include "runtime/core/Core.h"

#include <stdint.h>

namespace {
const ControlOps* OpsOf(const ControlRecord* record) {
    static const ControlOps noOperations = {};
    return record->ops != nullptr ? record->ops : &noOperations;
}
} // namespace

const ControlRecord* LookupControlRecord(int32_t number) {
    if (number < 0 || number >= ControlTable.capacity) {
        return &NullControlRecord;
    }
    return &ControlTable.records[number];
}

ControlRecord* WritableControlRecord(int32_t number) {
    if (number < 0 || number >= ControlTable.capacity) {
        return nullptr;
    }
    return &ControlTable.records[number];
}

bool GrowControlTable(int32_t number) {
    if (number < 0 || number > MAX_CONTROL_NUMBER) {
        return false;
    }
    if (number < ControlTable.capacity) {
        return true;
    }
    // Control numbers stop far below where the size could overflow.
    int32_t capacity = number + CONTROL_TABLE_GROWTH;
    SIZE_T bytes =
        static_cast<SIZE_T>(capacity + CONTROL_TABLE_SPARE_RECORDS) * sizeof(ControlRecord);
    void* records = GrowHeapBlock(ControlTable.records, bytes, HEAP_ZERO_MEMORY);
    // On failure the old records stay valid and in place.
    if (records == nullptr) {
        return false;
    }
    ControlTable.records = static_cast<ControlRecord*>(records);
    ControlTable.capacity = capacity;
    return true;
}

HWND SetControlParent(HWND parent) {
    ControlParent = parent;
    return parent;
}

HWND CreateControlWindow(int32_t number, uint32_t style, uint32_t extendedStyle) {
    if (number < 0 || number > MAX_CONTROL_NUMBER) {
        return nullptr;
    }
    HWND handle = CreateWindowExA(
        extendedStyle, PendingControl.className, PendingControl.text, style, PendingControl.x,
        PendingControl.y, PendingControl.width, PendingControl.height, ControlParent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), ModuleInstance, nullptr);
    if (handle == nullptr && PendingControl.keepsRecordOnFailure) {
        return nullptr;
    }
    // A window under a number the table cannot hold could never be reached. The table grows
    // after the creation: messages sent during it may reach code that grows the table.
    if (!GrowControlTable(number)) {
        if (handle != nullptr) {
            DestroyWindow(handle);
        }
        return nullptr;
    }
    ControlRecord* record = WritableControlRecord(number);
    record->handle = handle;
    record->ops = PendingControl.ops;
    if (handle != nullptr) {
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont), TRUE);
    }
    return handle;
}

void DisableControl(int32_t number, int32_t disabled) {
    HWND handle = LookupControlRecord(number)->handle;
    bool enable = disabled == 0;
    // The loop sets five states every turn; reading one is cheap where an EnableWindow
    // that changes nothing still costs a call into the window server.
    if ((IsWindowEnabled(handle) != FALSE) == enable) {
        return;
    }
    EnableWindow(handle, enable);
}

void ReadControlText(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->ReadText != nullptr) {
        OpsOf(record)->ReadText(record->handle);
        return;
    }
    int32_t room = ScratchRoom();
    if (room == 0) {
        return;
    }
    // Wine answers GetWindowText on a null handle with a short text of its own rather
    // than failing, so a number without a window must not reach it.
    if (record->handle == nullptr) {
        *ScratchCursor = 0;
        return;
    }
    // Read wide, as the control shows it: the code page's look-alikes for what it lacks
    // (GetWindowTextA's best fit) would make a full-width "１２" read as the number 12.
    wchar_t text[CONTROL_TEXT_LIMIT];
    int32_t limit = room < CONTROL_TEXT_LIMIT ? room : CONTROL_TEXT_LIMIT;
    int32_t copied = GetWindowTextW(record->handle, text, limit);
    if (copied < 0) {
        copied = 0;
    } else if (copied > limit - 1) {
        copied = limit - 1;
    }
    // A failed call may leave the buffer untouched: terminate in any case.
    text[copied] = 0;
    AppendWideText(text);
}

bool AddControlRow(int32_t number, int32_t position, const char* text) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->AddRow == nullptr) {
        return false;
    }
    return OpsOf(record)->AddRow(record->handle, position, text != nullptr ? text : "");
}

int32_t CountControlRows(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    return OpsOf(record)->CountRows != nullptr ? OpsOf(record)->CountRows(record->handle) : 0;
}

void ClearControlRows(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->ClearRows != nullptr) {
        OpsOf(record)->ClearRows(record->handle);
    }
}

int32_t GetControlState(int32_t number) {
    const ControlRecord* record = LookupControlRecord(number);
    return OpsOf(record)->GetState != nullptr ? OpsOf(record)->GetState(record->handle) : 0;
}

void SetControlState(int32_t number, int32_t value) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->SetState != nullptr) {
        OpsOf(record)->SetState(record->handle, value);
    }
}

void SetControlText(int32_t number, char* text) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->SetText != nullptr) {
        OpsOf(record)->SetText(record->handle, text);
    }
}

bool AddControlRowWithImage(int32_t number, int32_t position, const char* text, HANDLE image) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->AddRowWithImage == nullptr) {
        return false;
    }
    return OpsOf(record)->AddRowWithImage(record->handle, position, text != nullptr ? text : "",
                                          image);
}

void RemoveControlRow(int32_t number, int32_t row) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->RemoveRow != nullptr) {
        OpsOf(record)->RemoveRow(record->handle, row);
    }
}

int32_t GetControlRowState(int32_t number, int32_t row) {
    const ControlRecord* record = LookupControlRecord(number);
    return OpsOf(record)->GetRowState != nullptr ? OpsOf(record)->GetRowState(record->handle, row)
                                                 : 0;
}

void SetControlRowState(int32_t number, int32_t row, int32_t stateBits) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->SetRowState != nullptr) {
        OpsOf(record)->SetRowState(record->handle, row, stateBits);
    }
}

void ReadControlCell(int32_t number, int32_t row, int32_t column) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->ReadCell != nullptr) {
        OpsOf(record)->ReadCell(record->handle, row, column);
    } else if (ScratchRoom() > 0) {
        *ScratchCursor = 0;
    }
}

void SetControlCell(int32_t number, int32_t row, const char* text, int32_t column) {
    const ControlRecord* record = LookupControlRecord(number);
    if (OpsOf(record)->SetCell != nullptr) {
        OpsOf(record)->SetCell(record->handle, row, text, column);
    }
}
