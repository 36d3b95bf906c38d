// Makes allocations from AppHeap fail on demand, for the paths that a full heap takes. The
// test program's import slots of HeapAlloc and HeapReAlloc, through which the runtime's code
// calls the platform, are pointed at wrappers that count every allocation from AppHeap and
// refuse the ones chosen. Nothing changes in the shipped program. Other heaps, and the C
// runtime's malloc, are never refused.
#pragma once

#include "runtime/core/Core.h"
#include "tests/ImportTable.h"

class AppHeapFailures {
  public:
    // Points the import slots at the counting wrappers, once per process; false when the
    // test program imports no HeapAlloc or HeapReAlloc by name, so that nothing could be
    // refused.
    static bool Install() {
        if (heapAlloc != nullptr) {
            return true;
        }
        void** allocSlot = ImportSlot("kernel32.dll", "HeapAlloc");
        void** reAllocSlot = ImportSlot("kernel32.dll", "HeapReAlloc");
        if (allocSlot == nullptr || reAllocSlot == nullptr) {
            return false;
        }
        heapAlloc = reinterpret_cast<decltype(heapAlloc)>(
            RedirectImport(allocSlot, reinterpret_cast<void*>(CountedHeapAlloc)));
        heapReAlloc = reinterpret_cast<decltype(heapReAlloc)>(
            RedirectImport(reAllocSlot, reinterpret_cast<void*>(CountedHeapReAlloc)));
        return true;
    }
    // Counts from 0 again and refuses the allocations numbered from `first` (1 is the next
    // one) to `last`; Refuse(0, 0) refuses none.
    static void Refuse(int first, int last) {
        count = 0;
        refuseFirst = first;
        refuseLast = last;
    }
    static void RefuseNone() {
        Refuse(0, 0);
    }
    // Allocations from AppHeap since the last Refuse.
    static int Count() {
        return count;
    }
    // The scope of one test: nothing is refused after it.
    ~AppHeapFailures() {
        RefuseNone();
    }

  private:
    static bool Refused() {
        count++;
        return count >= refuseFirst && count <= refuseLast;
    }
    static LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
        if (heap == AppHeap && Refused()) {
            return nullptr;
        }
        return heapAlloc(heap, flags, bytes);
    }
    static LPVOID WINAPI CountedHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) {
        if (heap == AppHeap && Refused()) {
            return nullptr;
        }
        return heapReAlloc(heap, flags, block, bytes);
    }

    static inline LPVOID(WINAPI* heapAlloc)(HANDLE, DWORD, SIZE_T) = nullptr;
    static inline LPVOID(WINAPI* heapReAlloc)(HANDLE, DWORD, LPVOID, SIZE_T) = nullptr;
    static inline int count = 0;
    static inline int refuseFirst = 0;
    static inline int refuseLast = 0;
};
