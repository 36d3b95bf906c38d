// Shared by the window tests: a fresh window runtime per test, bounded message pumping
// through PollEvent, and real input from SendInput.
#pragma once

#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/WindowState.h"

#include <gtest/gtest.h>

#include <vector>

// Real input goes to whichever window is in front, so tests that open windows on the
// shared display take turns with every other such test process of the same Wine prefix,
// also when CTest runs several at once.
class DisplayTurn {
  public:
    static constexpr DWORD LONGEST_WAIT_MS = 240000;
    void Take() {
        turn = CreateMutexA(nullptr, FALSE, "PrimfaktorenDisplayTurn");
        ASSERT_NE(turn, nullptr);
        DWORD waited = WaitForSingleObject(turn, LONGEST_WAIT_MS);
        // An abandoned turn (its holder died) is ours all the same.
        ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            << "another test kept the display for " << LONGEST_WAIT_MS / 1000 << " s";
    }
    void Give() {
        if (turn != nullptr) {
            ReleaseMutex(turn);
            CloseHandle(turn);
            turn = nullptr;
        }
    }

  private:
    HANDLE turn = nullptr;
};

// Leaves the free space of AppHeap full of a pattern, so that a block handed out or grown
// without HEAP_ZERO_MEMORY shows it instead of the zeros a fresh heap happens to hold.
inline void FillFreeHeapWithJunk() {
    std::vector<void*> blocks;
    for (SIZE_T size : {24, 100, 700, 1500, 4000, 16000}) {
        for (int i = 0; i < 8; i++) {
            void* block = HeapAlloc(AppHeap, 0, size);
            if (block != nullptr) {
                FillMemory(block, size, 0xA5);
                blocks.push_back(block);
            }
        }
    }
    for (void* block : blocks) {
        HeapFree(AppHeap, 0, block);
    }
}

// One message from a thread of its own, as another program's message arrives: posted, or
// sent and waited for. Posted without a window, it goes to the thread that started it.
struct ForeignMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;
    DWORD startingThread;
};

inline DWORD WINAPI DeliverForeignMessage(void* parameter) {
    const ForeignMessage* message = static_cast<const ForeignMessage*>(parameter);
    if (!message->posted) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(message->window, message->message, message->wParam, message->lParam,
                            SMTO_NORMAL, 5000, &result);
    } else if (message->window != nullptr) {
        PostMessageA(message->window, message->message, message->wParam, message->lParam);
    } else {
        PostThreadMessageA(message->startingThread, message->message, message->wParam,
                           message->lParam);
    }
    return 0;
}

// The thread that delivers the message; null when it could not be started. The message
// must stay in place until the thread has ended.
inline HANDLE StartForeignMessage(ForeignMessage* message) {
    message->startingThread = GetCurrentThreadId();
    return CreateThread(nullptr, 0, DeliverForeignMessage, message, 0, nullptr);
}

// Every test starts from the state start-up leaves: no window, capacity 10, nothing
// pending. Re-running the initialisation leaks the old records block and brush into
// AppHeap and GDI, which is harmless in a test program.
class WindowRuntimeTest : public testing::Test {
  protected:
    void SetUp() override {
        displayTurn.Take();
        CloseAllWindows();
        InitWindowRuntime();
    }
    void TearDown() override {
        CloseAllWindows();
        DrainQueue();
        displayTurn.Give();
    }
    DisplayTurn displayTurn;

    // The application's window 0 (hidden for tests that need no input).
    static HWND CreateApplicationWindow(uint32_t flags = 0xC80001) {
        return CreateNumberedWindow(0, 0, 0, 600, 500, flags, "Primfaktoren und Teiler");
    }

    // Polls until the queue is empty; returns every code the polls gave.
    static std::vector<int32_t> DrainQueue() {
        std::vector<int32_t> codes;
        for (int turns = 0; turns < 10000; turns++) {
            MSG waiting;
            if (!PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
                break;
            }
            codes.push_back(PollEvent());
        }
        return codes;
    }

    // Polls for up to `milliseconds` until a poll returns `code`; true if one did. The
    // message that poll took is left in PollMessage.
    static bool PollUntil(int32_t code, DWORD milliseconds = 3000) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            int32_t result = PollEvent();
            if (result == code) {
                return true;
            }
            if (result == 0) {
                Sleep(1);
            }
        }
        return false;
    }

    // Polls for `milliseconds` whatever comes; returns every non-zero code.
    static std::vector<int32_t> PollFor(DWORD milliseconds) {
        std::vector<int32_t> codes;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            int32_t result = PollEvent();
            if (result != 0) {
                codes.push_back(result);
            } else {
                Sleep(1);
            }
        }
        return codes;
    }

    // A child control made straight with CreateWindowExA, its identifier `number`.
    static HWND CreateChild(HWND parent, const char* className, DWORD style, int32_t number, int x,
                            int y, int width, int height, const char* text = "") {
        HWND child = CreateWindowExA(0, className, text, WS_CHILD | style, x, y, width, height,
                                     parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)),
                                     ModuleInstance, nullptr);
        return child;
    }

    // Real input, as the system's input queue receives it from a person.
    static void SendKey(WORD key, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
    static void PressKey(WORD key) {
        SendKey(key, false);
        SendKey(key, true);
    }
    static void PressShiftTab() {
        SendKey(VK_SHIFT, false);
        PressKey(VK_TAB);
        SendKey(VK_SHIFT, true);
    }
    // Moves the pointer to (x, y) in screen coordinates and clicks the left button.
    static void ClickAt(int x, int y) {
        INPUT inputs[3] = {};
        for (INPUT& input : inputs) {
            input.type = INPUT_MOUSE;
        }
        inputs[0].mi.dx = (x * 65536 + 65535) / GetSystemMetrics(SM_CXSCREEN);
        inputs[0].mi.dy = (y * 65536 + 65535) / GetSystemMetrics(SM_CYSCREEN);
        inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(3, inputs, sizeof(INPUT));
    }
    static void ClickCentreOf(HWND window) {
        RECT area;
        GetWindowRect(window, &area);
        ClickAt((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    }

    // Brings a window to the front so that keys and clicks reach it, then lets the
    // activation messages pass.
    static void BringToFront(HWND window) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        PollFor(100);
    }
};
