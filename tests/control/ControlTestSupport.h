// Shared by the control tests: a fresh control and window runtime per test, window 0 as
// the parent of new controls, and readers that ask the platform directly.
#pragma once

#include "runtime/control/ControlState.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"
#include "tests/window/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Re-running the initialisations leaks the old tables and image lists into AppHeap and
// the process, which is harmless in a test program.
class ControlRuntimeTest : public testing::Test {
  protected:
    void SetUp() override {
        CloseAllWindows();
        InitWindowRuntime();
        InitControlRuntime();
        scratchMark = MarkScratch();
    }
    void TearDown() override {
        CloseAllWindows();
        Pump(0);
        ReleaseScratch(scratchMark);
        displayTurn.Give();
    }

    // Window 0, the application's window; hidden unless a test types into it. A visible
    // one waits for its turn on the shared display, as input goes to the front window.
    HWND OpenParent(bool visible = false) {
        if (visible) {
            displayTurn.Take();
        }
        uint32_t flags = 0xC80001 | (visible ? 0 : WINDOW_HIDDEN);
        parent = CreateNumberedWindow(0, 0, 0, 600, 500, flags, "Primfaktoren und Teiler");
        SetControlParent(parent);
        return parent;
    }

    // Dispatches messages for `milliseconds` (at least until the queue is empty).
    static void Pump(DWORD milliseconds) {
        DWORD start = GetTickCount();
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(1);
        } while (GetTickCount() - start < milliseconds);
    }

    // ReadControlText as a caller uses it: the text from where the cursor stood.
    static std::string ReadText(int32_t number) {
        char* start = MarkScratch();
        ReadControlText(number);
        std::string text = start;
        ReleaseScratch(start);
        return text;
    }

    static std::string WindowText(HWND window) {
        char text[8000] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    static std::string ClassOf(HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return name;
    }

    // The parent's children that carry `number` as their identifier.
    std::vector<HWND> ChildrenNumbered(int32_t number) const {
        ChildSearch search = {number, {}};
        EnumChildWindows(parent, CollectNumbered, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND parent = nullptr;
    char* scratchMark = nullptr;
    DisplayTurn displayTurn;

  private:
    struct ChildSearch {
        int32_t number;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK CollectNumbered(HWND child, LPARAM context) {
        ChildSearch* search = reinterpret_cast<ChildSearch*>(context);
        if (GetDlgCtrlID(child) == search->number) {
            search->found.push_back(child);
        }
        return TRUE;
    }
};
