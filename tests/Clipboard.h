// The Windows clipboard as any program reads and fills it, for the tests of copying rows.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>

// The clipboard's text; "<none>" when it holds none, "<busy>" while another program holds
// it open.
inline std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) {
        return "<busy>";
    }
    HANDLE block = GetClipboardData(CF_TEXT);
    const char* text = block != nullptr ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    std::string copy = text != nullptr ? text : "<none>";
    if (text != nullptr) {
        GlobalUnlock(block);
    }
    CloseClipboard();
    return copy;
}

// Puts a text on the clipboard as `owner`'s, as another program's copy would.
inline bool PutOnClipboard(HWND owner, const char* text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    if (block == nullptr || !OpenClipboard(owner)) {
        return false;
    }
    strcpy(static_cast<char*>(GlobalLock(block)), text);
    GlobalUnlock(block);
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return taken;
}

// The same with a text in UTF-16, as today's programs copy; the system offers it as CF_TEXT
// too.
inline bool PutOnClipboard(HWND owner, const std::wstring& text) {
    SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr || !OpenClipboard(owner)) {
        return false;
    }
    memcpy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
    EmptyClipboard();
    bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return taken;
}
