// All state of the runtime core, in one place.
#include "runtime/core/CoreState.h"

HANDLE AppHeap;
HINSTANCE ModuleInstance;
char* ScratchBuffer;
char* ScratchCursor;

void ClearCoreState() {
    AppHeap = nullptr;
    ModuleInstance = nullptr;
    ScratchBuffer = nullptr;
    ScratchCursor = nullptr;
}
