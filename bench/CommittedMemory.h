// The committed private pages of a process's address space, added up region by region:
// Wine reports PrivateUsage of GetProcessMemoryInfo as 0.
#pragma once

#include <windows.h>

inline double CommittedPrivateBytes(HANDLE process) {
    double committed = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            committed += static_cast<double>(region.RegionSize);
        }
        if (region.RegionSize == 0) {
            break;
        }
    }
    return committed;
}
