// A person at the screen for the message boxes that the test's thread shows: a thread of its
// own waits for each one, reads it and clicks its OK, so that the box returns as after a
// user's click.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

class MessageBoxReader {
  public:
    struct Box {
        HWND owner;
        std::string text; // the box's longest text; the others are its button's and icon's
    };
    // Every box shown while the reader lives, in order; written on the reader's thread
    // before the box is closed, so complete once the box has returned.
    std::vector<Box> boxes;

    // The message box a thread shows, of this process or another, or null; `seen` gets its
    // owner and text.
    static HWND FindBox(DWORD thread, Box* seen) {
        HWND box = nullptr;
        EnumThreadWindows(thread, Find, reinterpret_cast<LPARAM>(&box));
        if (box == nullptr) {
            return nullptr;
        }
        *seen = {GetWindow(box, GW_OWNER), ""};
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[1024] = "";
            GetWindowTextA(child, text, sizeof text);
            seen->text = strlen(text) > seen->text.size() ? text : seen->text;
        }
        return box;
    }

    MessageBoxReader() : watched(GetCurrentThreadId()) {
        thread = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }
    ~MessageBoxReader() {
        stopping = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }

  private:
    static BOOL CALLBACK Find(HWND window, LPARAM parameter) {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (IsWindowVisible(window) && strcmp(name, "#32770") == 0) {
            *reinterpret_cast<HWND*>(parameter) = window;
        }
        return TRUE;
    }
    static DWORD WINAPI Watch(void* parameter) {
        MessageBoxReader* self = static_cast<MessageBoxReader*>(parameter);
        for (; !self->stopping; Sleep(5)) {
            Box seen;
            HWND box = FindBox(self->watched, &seen);
            if (box == nullptr) {
                continue;
            }
            self->boxes.push_back(seen);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            for (int wait = 0; wait < 500 && IsWindowVisible(box); wait++) {
                Sleep(10);
            }
        }
        return 0;
    }

    DWORD watched;
    volatile bool stopping = false;
    HANDLE thread = nullptr;
};
