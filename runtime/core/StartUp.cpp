// Process start-up and shutdown.
#include "runtime/core/Core.h"
#include "runtime/core/CoreState.h"
#include "runtime/control/Control.h"
#include "runtime/window/Window.h"

namespace {
constexpr SIZE_T APP_HEAP_INITIAL_SIZE = 4000;
}

void StartUp() {
    ClearCoreState();
    ClearApplicationState();
    ModuleInstance = GetModuleHandleA(nullptr);
    AppHeap = HeapCreate(0, APP_HEAP_INITIAL_SIZE, 0);
    // Every table and text lives on this heap; without it nothing can run.
    if (AppHeap == nullptr) {
        ExitProcess(0);
    }
    InitControlRuntime();
    InitWindowRuntime();
    InitStringEngine();
    MainProgram();
    Shutdown();
}

void Shutdown() {
    // Closing a window returns its accelerator array to AppHeap, so windows go first.
    CloseAllWindows();
    HeapDestroy(AppHeap);
    ExitProcess(0);
}

void* GrowHeapBlock(void* block, SIZE_T bytes, DWORD flags) {
    return block != nullptr ? HeapReAlloc(AppHeap, flags, block, bytes)
                            : HeapAlloc(AppHeap, flags, bytes);
}
