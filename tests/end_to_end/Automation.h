// An automation client for the built tool: starts it as a process of its own, acts on it
// with real pointer and key input, and reads its window back through Win32 across the
// process boundary.
//
// Input goes through xdotool on the X display, so it takes the path a person's input
// takes. Under Wine a process can start /usr/bin/xdotool with CreateProcessA, but gets no
// handle to wait on and no output through a pipe; the command therefore runs in a shell
// that writes its exit status to an inherited file, and the client waits for that line.
#pragma once

#include "app/App.h"

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

namespace automation {

// The tool's controls are reached by the application's own control numbers (ControlNumber),
// which are also their child-window identifiers.
constexpr int TOOL_CONTROL_COUNT = 8;

// Every read sent to the tool gives up after this long. The tool answers a message sent
// from another process only at its next poll, that is between two turns of its loop, and
// a turn adds at most one row.
constexpr UINT READ_TIMEOUT_MS = 5000;

// Milliseconds since an arbitrary start, with sub-millisecond resolution.
double NowMs();

// Checks `holds` every few milliseconds until it returns true or timeoutMs has passed.
// Returns whether it held.
template <typename Condition> bool WaitUntil(Condition holds, DWORD timeoutMs) {
    double deadline = NowMs() + timeoutMs;
    for (;;) {
        if (holds()) {
            return true;
        }
        if (NowMs() > deadline) {
            return false;
        }
        Sleep(5);
    }
}

// Runs a Unix command line in a shell and waits for it to end. Returns its exit status, or
// -1 when it could not be started or did not end within 10 s; `printed`, unless null, gets
// the first 4 KB of what it printed. The command line must not contain double quotes.
int RunUnixCommand(const std::string& commandLine, std::string* printed);
// Runs `xdotool <arguments>` the same way. Arguments must not contain quotes.
int RunXdotool(const std::string& arguments);
// The text another X program on the display pastes (the CLIPBOARD selection, first 4 KB),
// "<none>" when it holds none.
std::string XClipboardText();

// A text in UTF-8, as the sources write their literals, in UTF-16; and in the ANSI code page,
// with no look-alike for what the page lacks.
std::wstring WideOf(const std::string& text);
std::string AnsiOf(const std::string& text);

// A Windows path for a path the build system gave, which under Wine is a Unix path.
std::string WindowsPathOf(const char* path);

// What the screen shows inside `screenRect`, read through the screen's device context as
// any other program would see it: one 0x00RRGGBB value a pixel, row by row. Empty when the
// screen cannot be read.
std::vector<uint32_t> ScreenPixels(const RECT& screenRect);
// The number of pixels in which two pictures of the same size differ; -1 when the sizes
// differ.
int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

// One running instance of the tool. The destructor ends a process still running, so a
// failing case leaves nothing behind.
class ToolProcess {
  public:
    ToolProcess() = default;
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    ~ToolProcess();

    // Starts the program with the given command-line arguments (may be empty) and waits
    // until its window and all eight controls exist. False when it does not start or no
    // window appears in time; the process is then ended.
    bool Launch(const char* executable, const char* arguments, DWORD timeoutMs);
    // Waits until a whole turn has run idle: Stop disabled, the fields enabled, Clear
    // enabled exactly when the list has rows. Start depends on the fields and is left to
    // the caller.
    bool WaitUntilIdle(DWORD timeoutMs);
    // Ends the process if it still runs and waits for it.
    void Kill();
    // Waits for the process to end; false when it still runs after timeoutMs.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool IsRunning() const;

    HWND Window() const {
        return window;
    }
    HWND Control(int number) const;
    DWORD ThreadId() const {
        return process.dwThreadId;
    }
    HANDLE ProcessHandle() const {
        return process.hProcess;
    }

    // Reads. A read that the tool does not answer in time yields "" or -1.
    std::string Text(HWND target) const;
    std::string ControlText(int number) const {
        return Text(Control(number));
    }
    bool IsEnabled(int number) const {
        return IsWindowEnabled(Control(number)) != FALSE;
    }
    // The tool's focus window, or null when the focus is nowhere.
    HWND FocusWindow() const;
    // The control number of the focus window; -1 when the focus is on no control.
    int FocusedControl() const;
    int RowCount() const;
    // The answer of the list to a message that carries no pointer (LVM_GETSELECTEDCOUNT,
    // LVM_GETNEXTITEM ...); -2 when it does not answer in time.
    LRESULT ListAnswer(UINT message, WPARAM wParam, LPARAM lParam) const;
    std::string CellText(int row, int column) const;
    std::string ColumnTitle(int column) const;
    int ColumnWidth(int column) const;
    // The width of `text` in the list's font, as the list measures it.
    int StringWidth(const char* text) const;
    // Client-area rectangle of a control in its parent's client coordinates.
    RECT ControlRect(int number) const;
    // What the screen shows of a control, its frame included.
    std::vector<uint32_t> ControlPixels(int number) const;
    // Asks a control for a full repaint, as the platform does when a window is uncovered:
    // frame, background and children. Returns once the tool has taken its next turn.
    void RepaintWhole(int number) const;
    // User and kernel time used by all threads of the process so far.
    double ProcessorSeconds() const;

    // Real input.
    bool Click(int number) const;
    bool ClickAt(POINT screenPoint) const;
    bool ClickCloseBox() const;
    // Runs xdotool's `click` ("click 1", "keydown shift click 1 keyup shift", ...) on a
    // row's cell in `column`; a row past the last is a place in the empty part of the list.
    bool ClickRow(int row, const char* click, int column = 0) const;
    bool PressKeys(const char* keys) const;
    // Replaces the field's text by typing: a click into it, select all, then the digits.
    // True when the field shows exactly `digits` afterwards.
    bool TypeIntoField(int field, const char* digits) const;
    // Sets a text that typing cannot produce (ES_NUMBER refuses non-digits).
    bool SetTextDirectly(int number, const char* text) const;
    // Replaces the field's text as a person pastes one: the text (UTF-8) on the clipboard, a
    // click into the field, select all, Ctrl+V. True when the field shows exactly `text`.
    bool PasteIntoField(int field, const char* text) const;

  private:
    void* RemoteBuffer() const;

    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    HWND controls[TOOL_CONTROL_COUNT] = {};
    mutable void* remoteBuffer = nullptr;
};

} // namespace automation
