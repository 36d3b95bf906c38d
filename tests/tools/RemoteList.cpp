#include "tests/tools/RemoteList.h"

#include <commctrl.h>

#include <stdint.h>
#include <string.h>

namespace {
// LVITEMA and LVCOLUMNA as a 32-bit program lays them out: every pointer and LPARAM is
// 4 bytes wide. The list reads and writes only the fields up to iIndent for the messages
// used here; the rest stays zero.
struct ListItem32 {
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint32_t state;
    uint32_t stateMask;
    uint32_t pszText;
    int32_t cchTextMax;
    int32_t iImage;
    uint32_t lParam;
    int32_t iIndent;
    int32_t iGroupId;
    uint32_t cColumns;
    uint32_t puColumns;
    uint32_t piColFmt;
    int32_t iGroup;
};

struct ListColumn32 {
    uint32_t mask;
    int32_t fmt;
    int32_t cx;
    uint32_t pszText;
    int32_t cchTextMax;
    int32_t iSubItem;
    int32_t iImage;
    int32_t iOrder;
    int32_t cxMin;
    int32_t cxDefault;
    int32_t cxIdeal;
};

static_assert(sizeof(ListItem32) == 60, "the 32-bit LVITEMA is 60 bytes");
static_assert(sizeof(ListColumn32) == 44, "the 32-bit LVCOLUMNA is 44 bytes");

// The shared block holds one structure, then the text it points to.
constexpr SIZE_T BLOCK_SIZE = 65536;
constexpr SIZE_T TEXT_OFFSET = 256;
constexpr int TEXT_ROOM = static_cast<int>(BLOCK_SIZE - TEXT_OFFSET);

bool Is32BitProcess(HANDLE process) {
    if (sizeof(void*) == 4) {
        // A 32-bit reader reads 32-bit programs only.
        return true;
    }
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

// Maps a view of a section into another process: the documented MapViewOfFile2 is missing
// from older import libraries, the native call it stands on is in every ntdll.
typedef LONG(NTAPI* MapViewOfSectionCall)(HANDLE section, HANDLE process, void** base,
                                          ULONG_PTR zeroBits, SIZE_T commitSize,
                                          LARGE_INTEGER* offset, SIZE_T* viewSize,
                                          DWORD inheritDisposition, ULONG allocationType,
                                          ULONG protection);
typedef LONG(NTAPI* UnmapViewOfSectionCall)(HANDLE process, void* base);
constexpr DWORD VIEW_UNMAP = 2;

template <typename Call> Call NativeCall(const char* name) {
    return reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}
} // namespace

RemoteList::RemoteList(HWND list, UINT timeoutMs) : list(list), timeoutMs(timeoutMs) {
    DWORD ownerId = 0;
    if (list == nullptr || GetWindowThreadProcessId(list, &ownerId) == 0) {
        return;
    }
    owner = OpenProcess(PROCESS_VM_OPERATION | PROCESS_QUERY_INFORMATION, FALSE, ownerId);
    section =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, BLOCK_SIZE, nullptr);
    MapViewOfSectionCall mapView = NativeCall<MapViewOfSectionCall>("NtMapViewOfSection");
    if (owner == nullptr || section == nullptr || mapView == nullptr) {
        return;
    }
    ownerIs32Bit = Is32BitProcess(owner);
    localBlock = static_cast<char*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, BLOCK_SIZE));
    void* remote = nullptr;
    SIZE_T viewSize = 0;
    if (localBlock == nullptr || mapView(section, owner, &remote, 0, 0, nullptr, &viewSize,
                                         VIEW_UNMAP, 0, PAGE_READWRITE) != 0) {
        return;
    }
    remoteBlock = static_cast<char*>(remote);
    // A 32-bit list can follow only a pointer below 4 GB.
    if (ownerIs32Bit && reinterpret_cast<uintptr_t>(remoteBlock) + BLOCK_SIZE > UINT32_MAX) {
        NativeCall<UnmapViewOfSectionCall>("NtUnmapViewOfSection")(owner, remoteBlock);
        remoteBlock = nullptr;
    }
}

RemoteList::~RemoteList() {
    if (remoteBlock != nullptr) {
        NativeCall<UnmapViewOfSectionCall>("NtUnmapViewOfSection")(owner, remoteBlock);
    }
    if (localBlock != nullptr) {
        UnmapViewOfFile(localBlock);
    }
    if (section != nullptr) {
        CloseHandle(section);
    }
    if (owner != nullptr) {
        CloseHandle(owner);
    }
}

bool RemoteList::Send(UINT message, WPARAM wParam, DWORD_PTR* result) const {
    return SendMessageTimeoutA(list, message, wParam, reinterpret_cast<LPARAM>(remoteBlock),
                               SMTO_NORMAL, timeoutMs, result) != 0;
}

int RemoteList::RowCount() const {
    DWORD_PTR count = 0;
    if (SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count) == 0) {
        return -1;
    }
    return static_cast<int>(count);
}

bool RemoteList::CellText(int row, int column, std::string* text) const {
    if (!IsUsable()) {
        return false;
    }
    char* remoteText = remoteBlock + TEXT_OFFSET;
    if (ownerIs32Bit) {
        ListItem32 item = {};
        item.iSubItem = column;
        item.pszText = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(remoteText));
        item.cchTextMax = TEXT_ROOM;
        memcpy(localBlock, &item, sizeof item);
    } else {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = remoteText;
        item.cchTextMax = TEXT_ROOM;
        memcpy(localBlock, &item, sizeof item);
    }
    DWORD_PTR length = 0;
    if (!Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), &length) ||
        length >= static_cast<DWORD_PTR>(TEXT_ROOM)) {
        return false;
    }
    text->assign(localBlock + TEXT_OFFSET, length);
    return true;
}

bool RemoteList::ColumnTitle(int column, std::string* title) const {
    if (!IsUsable()) {
        return false;
    }
    constexpr int TITLE_ROOM = 256;
    memset(localBlock + TEXT_OFFSET, 0, TITLE_ROOM);
    char* remoteText = remoteBlock + TEXT_OFFSET;
    if (ownerIs32Bit) {
        ListColumn32 description = {};
        description.mask = LVCF_TEXT;
        description.pszText = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(remoteText));
        description.cchTextMax = TITLE_ROOM;
        memcpy(localBlock, &description, sizeof description);
    } else {
        LVCOLUMNA description = {};
        description.mask = LVCF_TEXT;
        description.pszText = remoteText;
        description.cchTextMax = TITLE_ROOM;
        memcpy(localBlock, &description, sizeof description);
    }
    DWORD_PTR found = 0;
    if (!Send(LVM_GETCOLUMNA, static_cast<WPARAM>(column), &found) || found == 0) {
        return false;
    }
    title->assign(localBlock + TEXT_OFFSET, strnlen(localBlock + TEXT_OFFSET, TITLE_ROOM - 1));
    return true;
}

int RemoteList::ColumnWidth(int column) const {
    DWORD_PTR width = 0;
    if (SendMessageTimeoutA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0, SMTO_NORMAL,
                            timeoutMs, &width) == 0) {
        return -1;
    }
    return static_cast<int>(width);
}

int RemoteList::StringWidth(const char* text) const {
    if (!IsUsable() || strlen(text) >= static_cast<size_t>(TEXT_ROOM)) {
        return -1;
    }
    // The text lies at the start of the block, which Send hands to the list.
    strcpy(localBlock, text);
    DWORD_PTR width = 0;
    return Send(LVM_GETSTRINGWIDTHA, 0, &width) ? static_cast<int>(width) : -1;
}
