#pragma once
// Reading and writing controls of the main window by control number.
#include <windows.h>

#include <string>

std::u16string get_control_text(HWND window, int control);
void set_control_text(HWND window, int control, const std::u16string& text);
void enable_control(HWND window, int control, bool enabled);
