// Reads the cells and column headers of a list view that belongs to another process, with
// the structure layout that the list's own process expects: a 64-bit reader of a 32-bit
// program writes the 32-bit LVITEMA and LVCOLUMNA, whose text pointers are 4 bytes wide.
// The list interprets the structure in its own memory, so it is built there: in a block of
// shared memory that the owner maps at the reader's request, and that the reader sees
// through a view of its own. Read/WriteProcessMemory would do under Wine only where Wine's
// server sees the owner's addresses as the owner does; under qemu's user-mode emulator the
// owner's address 0 lies elsewhere in the emulator's memory.
#pragma once

#include <windows.h>

#include <string>

class RemoteList {
  public:
    // A reader for `list`, owned by some other process. Every read gives up after
    // timeoutMs, since the owner answers only at its next message poll.
    RemoteList(HWND list, UINT timeoutMs);
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;
    ~RemoteList();

    // False when the owner cannot be opened or maps no shared block; every read then fails.
    bool IsUsable() const {
        return remoteBlock != nullptr;
    }
    // Whether the owner is a 32-bit program.
    bool OwnerIs32Bit() const {
        return ownerIs32Bit;
    }
    // -1 when the list does not answer.
    int RowCount() const;
    // False when the list does not answer or the cell cannot be read.
    bool CellText(int row, int column, std::string* text) const;
    // False when the list has no such column.
    bool ColumnTitle(int column, std::string* title) const;
    // -1 when the list does not answer.
    int ColumnWidth(int column) const;
    // The width of `text` in the list's font, as the list measures it; -1 when it does not
    // answer.
    int StringWidth(const char* text) const;

  private:
    bool Send(UINT message, WPARAM wParam, DWORD_PTR* result) const;

    HWND list;
    UINT timeoutMs;
    HANDLE owner = nullptr;
    HANDLE section = nullptr;
    char* localBlock = nullptr;  // the reader's view
    char* remoteBlock = nullptr; // the owner's view of the same memory
    bool ownerIs32Bit = false;
};
