#pragma once
#include <windows.h>

#include <string>

// The standard file-open dialog, modal; owned by `window` only while that
// window is in the foreground. `window` stops being topmost while the
// dialog is open. Returns the chosen full path or empty (cancel, failure).
std::u16string open_file_requester(HWND window, const std::u16string& title,
                                   const std::u16string& default_file,
                                   const std::u16string& pattern);

// Replaces the clipboard's content by one Unicode text. False when the
// clipboard could not be opened or the text not placed.
bool put_clipboard_text(HWND window, const std::u16string& text);
