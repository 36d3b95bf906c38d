// Control runtime: child controls addressed by number, their shared operations, and the
// kinds push button, edit field, label and multi-column report list.
#pragma once

#include <windows.h>

#include <stdint.h>

// The operations of one control kind, each taking the control's window handle first. An
// empty slot does nothing and yields 0, or the empty text for a text read. Texts read go
// to the scratch cursor. A kind's table names the slots it fills; the rest stay empty.
struct ControlOps {
    void (*Destroy)(HWND control) = nullptr;
    int32_t (*GetState)(HWND control) = nullptr;
    void (*SetState)(HWND control, int32_t value) = nullptr;
    void (*ReadText)(HWND control) = nullptr;
    void (*SetText)(HWND control, char* text) = nullptr;
    // Both row insertions say whether the whole row was added.
    bool (*AddRow)(HWND control, int32_t position, const char* text) = nullptr;
    bool (*AddRowWithImage)(HWND control, int32_t position, const char* text,
                            HANDLE image) = nullptr;
    void (*RemoveRow)(HWND control, int32_t row) = nullptr;
    void (*ClearRows)(HWND control) = nullptr;
    void (*Resize)(HWND control, int32_t x, int32_t y, int32_t width, int32_t height) = nullptr;
    int32_t (*CountRows)(HWND control) = nullptr;
    int32_t (*GetRowState)(HWND control, int32_t row) = nullptr;
    void (*SetRowState)(HWND control, int32_t row, int32_t stateBits) = nullptr;
    void (*ReadCell)(HWND control, int32_t row, int32_t column) = nullptr;
    void (*SetCell)(HWND control, int32_t row, const char* text, int32_t column) = nullptr;
};

struct ControlRecord {
    HWND handle;
    const ControlOps* ops;
};

// The texts of a report list's row commands, in the application's language: the menu's
// two items (wide, so that any character shows whatever the system's code page) and the
// messages of a copy that failed.
struct ReportCommandTexts {
    const wchar_t* copyItem;
    const wchar_t* selectAllItem;
    const char* noMemoryForCopy;
    const char* clipboardRefused;
};

// Edit field flag: no sunken client edge.
constexpr uint32_t EDIT_NO_EDGE = 0x20000;

// Report list flags.
constexpr uint32_t REPORT_CHECKBOXES = 0x1;
constexpr uint32_t REPORT_MULTI_SELECT = 0x4;
constexpr uint32_t REPORT_GRIDLINES = 0x10000;
constexpr uint32_t REPORT_HEADER_DRAG = 0x10000000;
constexpr uint32_t REPORT_FULL_ROW = 0x40000000;

// Row state bits of a report list.
constexpr int32_t ROW_SELECTED = 0x1;
// Only in a list with REPORT_CHECKBOXES.
constexpr int32_t ROW_CHECKED = 0x2;

// The largest control number: a command carries its control's number in the low word of
// wParam, so a larger one would reach the application as another control's. Creation
// refuses negative numbers and those above it.
constexpr int32_t MAX_CONTROL_NUMBER = 65535;

// Called once by start-up, before the window runtime.
void InitControlRuntime();

// Sets the parent of every control created from now on; returns the handle.
HWND SetControlParent(HWND parent);

// Any nonzero `disabled` disables the control, zero enables it. A control already in the
// wanted state is left alone, as the platform would leave it.
void DisableControl(int32_t number, int32_t disabled);
// Appends the control's text at the scratch cursor (a scratch text); the empty text for a
// number that holds no control. Never writes past the end of ScratchBuffer. A text that
// the platform keeps (all kinds but the report list) is read as it shows (AppendWideText)
// and cut after CONTROL_TEXT_LIMIT - 1 characters; a character takes a byte or more, so a
// text shorter than that in bytes was read whole.
void ReadControlText(int32_t number);
constexpr int32_t CONTROL_TEXT_LIMIT = 5000;
// Inserts a row at `position` (-1: after the last row); a null text counts as "". Line
// feeds in the text separate the row's columns. True when the row was added with all its
// cells; false when the list refused it or could not take every cell (no part of the row
// stays then), and for kinds without rows.
bool AddControlRow(int32_t number, int32_t position, const char* text);
// 0 for kinds without rows.
int32_t CountControlRows(int32_t number);
void ClearControlRows(int32_t number);

// The remaining kind operations by number. Each does nothing and yields 0 (or the empty
// text) for a kind without the operation.
//
// A button's check state; a report list's focused row, -1 when none.
int32_t GetControlState(int32_t number);
// A button's check state; a report list's row to select and focus (-1: none).
void SetControlState(int32_t number, int32_t value);
// Replaces the report list's focused row, one line-feed separated piece per column. Cuts
// the text in place at its line feeds.
void SetControlText(int32_t number, char* text);
// AddControlRow with a bitmap or icon shown in the row; the same result.
bool AddControlRowWithImage(int32_t number, int32_t position, const char* text, HANDLE image);
void RemoveControlRow(int32_t number, int32_t row);
// ROW_SELECTED and ROW_CHECKED bits of a report list's row.
int32_t GetControlRowState(int32_t number, int32_t row);
void SetControlRowState(int32_t number, int32_t row, int32_t stateBits);
// Appends one cell's text at the scratch cursor (a scratch text).
void ReadControlCell(int32_t number, int32_t row, int32_t column);
// A null text counts as "".
void SetControlCell(int32_t number, int32_t row, const char* text, int32_t column);

// Each returns the new control's window handle, null on failure. A report list keeps its
// rows itself; a visible one shows the rows that arrived 20 times a second, through a timer
// on the list that the thread's message loop dispatches like any other message.
HWND CreateButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                  const char* caption);
HWND CreateEditField(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char* text, uint32_t flags);
HWND CreateLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const char* text);
HWND CreateReportList(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                      const char* columnTitle, int32_t columnWidth);
HWND CreateReportListWithFlags(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                               const char* columnTitle, int32_t columnWidth, uint32_t flags);
// Adds column `index` (1, 2, ...) to the report list `number`.
void AddReportColumn(int32_t number, int32_t index, const char* title, int32_t width);
// The width a column of the report list `number` needs to show `text` whole in the list's
// font, its margins included; 0 for a number that holds no report list.
int32_t ReportTextWidth(int32_t number, const char* text);
// The width the columns of the report list `number` may take together without a horizontal
// scroll bar, also once its rows bring the vertical one; 0 for no report list.
int32_t ReportColumnRoom(int32_t number);
void SetReportColumnWidth(int32_t number, int32_t column, int32_t width);
// Gives the report list `number` the texts of its row commands; the list keeps the
// pointer, so the texts must last as long as the list.
void SetReportCommandTexts(int32_t number, const ReportCommandTexts* texts);
