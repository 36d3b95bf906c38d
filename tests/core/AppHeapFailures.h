// Makes allocations from AppHeap fail on demand, for the paths that a full heap takes. The
// test program's import slots of HeapAlloc and HeapReAlloc, through which the runtime's code
// calls the platform, are pointed at wrappers that count every allocation from AppHeap and
// refuse the ones chosen. Nothing changes in the shipped program. Other heaps, and the C
// runtime's malloc, are never refused.
#pragma once

#include "runtime/core/Core.h"

#include <string.h>

class AppHeapFailures {
  public:
    // Points the import slots at the counting wrappers, once per process; false when the
    // test program imports no HeapAlloc or HeapReAlloc by name, so that nothing could be
    // refused.
    static bool Install() {
        if (heapAlloc != nullptr) {
            return true;
        }
        void** allocSlot = ImportSlot("HeapAlloc");
        void** reAllocSlot = ImportSlot("HeapReAlloc");
        if (allocSlot == nullptr || reAllocSlot == nullptr) {
            return false;
        }
        heapAlloc = reinterpret_cast<decltype(heapAlloc)>(
            Redirect(allocSlot, reinterpret_cast<void*>(CountedHeapAlloc)));
        heapReAlloc = reinterpret_cast<decltype(heapReAlloc)>(
            Redirect(reAllocSlot, reinterpret_cast<void*>(CountedHeapReAlloc)));
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

    // The import address table slot of a function that the test program takes from kernel32
    // by name; null when there is none.
    static void** ImportSlot(const char* function) {
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        const IMAGE_IMPORT_DESCRIPTOR* library =
            reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        for (; library->Name != 0; library++) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + library->Name), "kernel32.dll") !=
                0) {
                continue;
            }
            const IMAGE_THUNK_DATA* names =
                reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
            IMAGE_THUNK_DATA* slots =
                reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
            for (; names->u1.AddressOfData != 0; names++, slots++) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                    continue;
                }
                const IMAGE_IMPORT_BY_NAME* name =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (strcmp(reinterpret_cast<const char*>(name->Name), function) == 0) {
                    return reinterpret_cast<void**>(&slots->u1.Function);
                }
            }
        }
        return nullptr;
    }
    // Puts `replacement` into the slot and returns what it held.
    static void* Redirect(void** slot, void* replacement) {
        DWORD protection = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
        void* original = *slot;
        *slot = replacement;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
        return original;
    }
    static inline LPVOID(WINAPI* heapAlloc)(HANDLE, DWORD, SIZE_T) = nullptr;
    static inline LPVOID(WINAPI* heapReAlloc)(HANDLE, DWORD, LPVOID, SIZE_T) = nullptr;
    static inline int count = 0;
    static inline int refuseFirst = 0;
    static inline int refuseLast = 0;
};
