#include "tests/end_to_end/Automation.h"

#include "tests/Clipboard.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <iterator>

namespace automation {
namespace {

constexpr DWORD XDOTOOL_TIMEOUT_MS = 10000;
// The remote block holds one item or column description, then the text it points to.
constexpr SIZE_T REMOTE_BUFFER_SIZE = 65536;
constexpr SIZE_T REMOTE_TEXT_OFFSET = 256;
constexpr int REMOTE_TEXT_ROOM = static_cast<int>(REMOTE_BUFFER_SIZE - REMOTE_TEXT_OFFSET);

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchToolWindow(HWND candidate, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    char className[64] = "";
    GetClassNameA(candidate, className, sizeof className);
    if (owner == search->processId && strcmp(className, "WindowClass_0") == 0) {
        search->found = candidate;
        return FALSE;
    }
    return TRUE;
}

double FileTimeSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

std::string ReadWholeFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "";
    }
    char text[4096];
    DWORD got = 0;
    ReadFile(file, text, sizeof text - 1, &got, nullptr);
    CloseHandle(file);
    return std::string(text, got);
}
// The field's text as it holds it; WM_GETTEXT is copied across processes as UTF-16 too.
std::wstring WideTextOf(HWND target) {
    wchar_t text[8192] = L"";
    DWORD_PTR length = 0;
    if (target == nullptr ||
        SendMessageTimeoutW(target, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, READ_TIMEOUT_MS, &length) == 0) {
        return L"";
    }
    return std::wstring(text, length);
}
} // namespace

std::wstring WideOf(const std::string& text) {
    wchar_t wide[8192] = L"";
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide,
                                     std::size(wide));
    return std::wstring(wide, length);
}

std::string AnsiOf(const std::string& text) {
    std::wstring wide = WideOf(text);
    char ansi[16384] = "";
    int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), ansi, sizeof ansi, nullptr, nullptr);
    return std::string(ansi, length);
}

double NowMs() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int RunUnixCommand(const std::string& commandLine, std::string* printed) {
    char directory[MAX_PATH];
    char statusPath[MAX_PATH];
    if (GetTempPathA(MAX_PATH, directory) == 0 ||
        GetTempFileNameA(directory, "xdo", 0, statusPath) == 0) {
        return -1;
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE output = CreateFileA(statusPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        DeleteFileA(statusPath);
        return -1;
    }
    // Wine starts a Unix program detached: the shell's last line is the only sign of its end.
    std::string command = "/bin/sh -c \"" + commandLine + "; echo status=$?\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION shell = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &shell);
    CloseHandle(output);
    if (shell.hProcess != nullptr) {
        CloseHandle(shell.hProcess);
    }
    if (shell.hThread != nullptr) {
        CloseHandle(shell.hThread);
    }
    int status = -1;
    if (started) {
        WaitUntil(
            [&] {
                std::string text = ReadWholeFile(statusPath);
                size_t mark = text.rfind("status=");
                if (mark == std::string::npos || text.find('\n', mark) == std::string::npos) {
                    return false;
                }
                status = atoi(text.c_str() + mark + 7);
                if (printed != nullptr) {
                    *printed = text.substr(0, mark);
                }
                return true;
            },
            XDOTOOL_TIMEOUT_MS);
    }
    DeleteFileA(statusPath);
    return status;
}

int RunXdotool(const std::string& arguments) {
    std::string printed;
    int status = RunUnixCommand("/usr/bin/xdotool " + arguments + " 2>&1", &printed);
    if (status != 0) {
        fprintf(stderr, "xdotool %s: %s", arguments.c_str(), printed.c_str());
    }
    return status;
}

std::string XClipboardText() {
    std::string text;
    if (RunUnixCommand("/usr/bin/xclip -selection clipboard -o 2>/dev/null", &text) != 0) {
        return "<none>";
    }
    return text;
}

std::string WindowsPathOf(const char* path) {
    if (path[0] != '/') {
        return path;
    }
    typedef WCHAR*(CDECL * DosFileNameOf)(const char*);
    DosFileNameOf dosFileNameOf = reinterpret_cast<DosFileNameOf>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (dosFileNameOf != nullptr) {
        WCHAR* wide = dosFileNameOf(path);
        if (wide != nullptr) {
            char narrow[MAX_PATH * 2] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, wide);
            return narrow;
        }
    }
    // Wine's default drive for the Unix root.
    std::string windowsPath = std::string("Z:") + path;
    for (char& c : windowsPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return windowsPath;
}

std::vector<uint32_t> ScreenPixels(const RECT& screenRect) {
    int width = screenRect.right - screenRect.left;
    int height = screenRect.bottom - screenRect.top;
    std::vector<uint32_t> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && picture != nullptr) {
        HGDIOBJ previous = SelectObject(memory, picture);
        if (BitBlt(memory, 0, 0, width, height, screen, screenRect.left, screenRect.top, SRCCOPY)) {
            GdiFlush();
            const uint32_t* first = static_cast<const uint32_t*>(bits);
            pixels.assign(first, first + static_cast<size_t>(width) * height);
            for (uint32_t& pixel : pixels) {
                pixel &= 0x00FFFFFF;
            }
        }
        SelectObject(memory, previous);
    }
    if (picture != nullptr) {
        DeleteObject(picture);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int differing = 0;
    for (size_t i = 0; i < a.size(); i++) {
        differing += a[i] != b[i] ? 1 : 0;
    }
    return differing;
}

ToolProcess::~ToolProcess() {
    Kill();
    if (process.hProcess != nullptr) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

bool ToolProcess::Launch(const char* executable, const char* arguments, DWORD timeoutMs) {
    std::string path = WindowsPathOf(executable);
    std::string commandLine = "\"" + path + "\"";
    if (arguments != nullptr && arguments[0] != '\0') {
        commandLine += std::string(" ") + arguments;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        fprintf(stderr, "CreateProcessA(%s) failed: %lu\n", path.c_str(), GetLastError());
        process = {};
        return false;
    }
    bool complete = WaitUntil(
        [&] {
            WindowSearch search = {process.dwProcessId, nullptr};
            EnumWindows(MatchToolWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) {
                return false;
            }
            window = search.found;
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                int number = GetDlgCtrlID(child);
                if (number >= 0 && number < TOOL_CONTROL_COUNT && controls[number] == nullptr) {
                    controls[number] = child;
                }
            }
            for (HWND control : controls) {
                if (control == nullptr) {
                    return false;
                }
            }
            return IsWindowVisible(window) != FALSE;
        },
        timeoutMs);
    if (!complete) {
        Kill();
    }
    return complete;
}

bool ToolProcess::WaitUntilIdle(DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            if (IsEnabled(STOP_BUTTON)) {
                return false;
            }
            // Answered only between two turns, so the turn that disabled Stop has set
            // every other state by now.
            int rows = RowCount();
            return !IsEnabled(STOP_BUTTON) && IsEnabled(FIRST_FIELD) && IsEnabled(LAST_FIELD) &&
                   IsEnabled(CLEAR_BUTTON) == (rows > 0);
        },
        timeoutMs);
}

bool ToolProcess::IsRunning() const {
    return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

void ToolProcess::Kill() {
    if (IsRunning()) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
}

bool ToolProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (process.hProcess == nullptr ||
        WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process.hProcess, exitCode);
    return true;
}

HWND ToolProcess::Control(int number) const {
    return number >= 0 && number < TOOL_CONTROL_COUNT ? controls[number] : nullptr;
}

std::string ToolProcess::Text(HWND target) const {
    // WM_GETTEXT is copied across processes by the system; the edit field's contents live
    // only in its own process.
    char text[8192] = "";
    DWORD_PTR length = 0;
    if (target == nullptr ||
        SendMessageTimeoutA(target, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, READ_TIMEOUT_MS, &length) == 0) {
        return "";
    }
    return std::string(text, length);
}

HWND ToolProcess::FocusWindow() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process.dwThreadId, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

int ToolProcess::FocusedControl() const {
    HWND focus = FocusWindow();
    for (int number = 0; number < TOOL_CONTROL_COUNT; number++) {
        if (focus != nullptr && focus == controls[number]) {
            return number;
        }
    }
    return -1;
}

int ToolProcess::RowCount() const {
    DWORD_PTR count = 0;
    if (SendMessageTimeoutA(controls[RESULT_LIST], LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL,
                            READ_TIMEOUT_MS, &count) == 0) {
        return -1;
    }
    return static_cast<int>(count);
}

LRESULT ToolProcess::ListAnswer(UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(controls[RESULT_LIST], message, wParam, lParam, SMTO_NORMAL,
                            READ_TIMEOUT_MS, &answer) == 0) {
        return -2;
    }
    return static_cast<LRESULT>(answer);
}

void* ToolProcess::RemoteBuffer() const {
    if (remoteBuffer == nullptr) {
        remoteBuffer = VirtualAllocEx(process.hProcess, nullptr, REMOTE_BUFFER_SIZE,
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    return remoteBuffer;
}

std::string ToolProcess::CellText(int row, int column) const {
    char* remote = static_cast<char*>(RemoteBuffer());
    if (remote == nullptr) {
        return "<no memory in the tool>";
    }
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + REMOTE_TEXT_OFFSET;
    item.cchTextMax = REMOTE_TEXT_ROOM;
    DWORD_PTR length = 0;
    if (!WriteProcessMemory(process.hProcess, remote, &item, sizeof item, nullptr) ||
        SendMessageTimeoutA(controls[RESULT_LIST], LVM_GETITEMTEXTA, row,
                            reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, READ_TIMEOUT_MS,
                            &length) == 0) {
        return "<unreadable>";
    }
    std::string text(length, '\0');
    if (length > 0 && !ReadProcessMemory(process.hProcess, remote + REMOTE_TEXT_OFFSET, &text[0],
                                         length, nullptr)) {
        return "<unreadable>";
    }
    return text;
}

std::string ToolProcess::ColumnTitle(int column) const {
    char* remote = static_cast<char*>(RemoteBuffer());
    if (remote == nullptr) {
        return "<no memory in the tool>";
    }
    LVCOLUMNA description = {};
    description.mask = LVCF_TEXT;
    description.pszText = remote + REMOTE_TEXT_OFFSET;
    description.cchTextMax = 256;
    char title[256] = "";
    DWORD_PTR found = 0;
    if (!WriteProcessMemory(process.hProcess, remote, &description, sizeof description, nullptr) ||
        !WriteProcessMemory(process.hProcess, remote + REMOTE_TEXT_OFFSET, title, sizeof title,
                            nullptr) ||
        SendMessageTimeoutA(controls[RESULT_LIST], LVM_GETCOLUMNA, column,
                            reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, READ_TIMEOUT_MS,
                            &found) == 0 ||
        found == 0 ||
        !ReadProcessMemory(process.hProcess, remote + REMOTE_TEXT_OFFSET, title, sizeof title - 1,
                           nullptr)) {
        return "<no column>";
    }
    title[sizeof title - 1] = '\0';
    return title;
}

int ToolProcess::ColumnWidth(int column) const {
    DWORD_PTR width = 0;
    if (SendMessageTimeoutA(controls[RESULT_LIST], LVM_GETCOLUMNWIDTH, column, 0, SMTO_NORMAL,
                            READ_TIMEOUT_MS, &width) == 0) {
        return -1;
    }
    return static_cast<int>(width);
}

int ToolProcess::StringWidth(const char* text) const {
    char* remote = static_cast<char*>(RemoteBuffer());
    DWORD_PTR width = 0;
    if (remote == nullptr ||
        !WriteProcessMemory(process.hProcess, remote, text, strlen(text) + 1, nullptr) ||
        SendMessageTimeoutA(controls[RESULT_LIST], LVM_GETSTRINGWIDTHA, 0,
                            reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, READ_TIMEOUT_MS,
                            &width) == 0) {
        return -1;
    }
    return static_cast<int>(width);
}

RECT ToolProcess::ControlRect(int number) const {
    RECT rect = {};
    GetWindowRect(Control(number), &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<uint32_t> ToolProcess::ControlPixels(int number) const {
    RECT rect = {};
    if (!GetWindowRect(Control(number), &rect)) {
        return {};
    }
    return ScreenPixels(rect);
}

void ToolProcess::RepaintWhole(int number) const {
    RedrawWindow(Control(number), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A sent message is answered between two turns; the repaint's messages come first.
    DWORD_PTR ignored = 0;
    for (int turn = 0; turn < 3; turn++) {
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, READ_TIMEOUT_MS, &ignored);
    }
}

double ToolProcess::ProcessorSeconds() const {
    // The sum of the tool's threads' times, which Wine reads from the system. Its
    // GetProcessTimes of another process is no substitute: after other tools have run in the
    // same test process it may report a figure that stands still while the tool is busy.
    double total = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more;
             more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != process.dwProcessId) {
                continue;
            }
            HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
            FILETIME created, ended, kernel, user;
            if (thread != nullptr && GetThreadTimes(thread, &created, &ended, &kernel, &user)) {
                total += FileTimeSeconds(kernel) + FileTimeSeconds(user);
            }
            if (thread != nullptr) {
                CloseHandle(thread);
            }
        }
        CloseHandle(snapshot);
    }
    return total;
}

bool ToolProcess::ClickAt(POINT point) const {
    char arguments[64];
    snprintf(arguments, sizeof arguments, "mousemove %ld %ld click 1", point.x, point.y);
    return RunXdotool(arguments) == 0;
}

bool ToolProcess::Click(int number) const {
    RECT rect = {};
    if (!GetWindowRect(Control(number), &rect)) {
        return false;
    }
    return ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

bool ToolProcess::ClickCloseBox() const {
    // Wine draws the caption itself here; ask the window where its close box is.
    RECT rect = {};
    GetWindowRect(window, &rect);
    int y = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    int rightmost = -1;
    int leftmost = -1;
    for (int x = rect.right - 1; x > (rect.left + rect.right) / 2; x -= 2) {
        DWORD_PTR hit = 0;
        if (SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL,
                                READ_TIMEOUT_MS, &hit) == 0) {
            return false;
        }
        if (hit == HTCLOSE) {
            rightmost = rightmost < 0 ? x : rightmost;
            leftmost = x;
        } else if (rightmost >= 0) {
            break;
        }
    }
    if (rightmost < 0) {
        fprintf(stderr, "no close box found in the caption of the tool's window\n");
        return false;
    }
    return ClickAt({(leftmost + rightmost) / 2, y});
}

bool ToolProcess::ClickRow(int row, const char* click, int column) const {
    // The cell's place in row 0 and its height; rows past the last lie below it in the
    // list's empty part. For column 0 the item's bounds: the whole row, which begins with
    // the cell.
    RECT first = {LVIR_BOUNDS, column, 0, 0};
    UINT ask = column == 0 ? LVM_GETITEMRECT : LVM_GETSUBITEMRECT;
    char* remote = static_cast<char*>(RemoteBuffer());
    DWORD_PTR found = 0;
    if (remote == nullptr ||
        !WriteProcessMemory(process.hProcess, remote, &first, sizeof first, nullptr) ||
        SendMessageTimeoutA(controls[RESULT_LIST], ask, 0, reinterpret_cast<LPARAM>(remote),
                            SMTO_NORMAL, READ_TIMEOUT_MS, &found) == 0 ||
        found == 0 || !ReadProcessMemory(process.hProcess, remote, &first, sizeof first, nullptr)) {
        return false;
    }
    POINT point = {first.left + 10,
                   (first.top + first.bottom) / 2 + row * (first.bottom - first.top)};
    ClientToScreen(controls[RESULT_LIST], &point);
    char move[64];
    snprintf(move, sizeof move, "mousemove %ld %ld ", point.x, point.y);
    return RunXdotool(move + std::string(click)) == 0;
}

bool ToolProcess::PressKeys(const char* keys) const {
    return RunXdotool(std::string("key --delay 30 ") + keys) == 0;
}

bool ToolProcess::TypeIntoField(int field, const char* digits) const {
    if (!Click(field) || !WaitUntil([&] { return FocusedControl() == field; }, 3000) ||
        !PressKeys("End shift+Home BackSpace")) {
        return false;
    }
    if (digits[0] != '\0' && RunXdotool(std::string("type --delay 20 ") + digits) != 0) {
        return false;
    }
    return WaitUntil([&] { return ControlText(field) == digits; }, 3000);
}

bool ToolProcess::PasteIntoField(int field, const char* text) const {
    HWND owner =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::wstring wide = WideOf(text);
    bool pasted = PutOnClipboard(owner, wide) && Click(field) &&
                  WaitUntil([&] { return FocusedControl() == field; }, 3000) &&
                  PressKeys("End shift+Home ctrl+v") &&
                  WaitUntil([&] { return WideTextOf(Control(field)) == wide; }, 3000);
    DestroyWindow(owner);
    return pasted;
}

bool ToolProcess::SetTextDirectly(int number, const char* text) const {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(Control(number), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, READ_TIMEOUT_MS, &result) == 0) {
        return false;
    }
    return ControlText(number) == text;
}

} // namespace automation
