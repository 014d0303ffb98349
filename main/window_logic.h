#pragma once
// Window arithmetic and requester parameters that need no window system.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

struct WindowPlacement {
    int x = 0, y = 0, width = 0, height = 0;
};

// Outer size clipped to the screen, then centred by integer division.
WindowPlacement centred_on_screen(int outer_width, int outer_height, int screen_width,
                                  int screen_height);

// How the open-file requester starts from a default file.
struct RequesterStart {
    std::u16string folder;     // initial folder, empty for none
    std::u16string file_name;  // pre-filled name, empty for none
};

// No control characters and none of " * / : < > ? \ |; not empty.
bool is_valid_file_name(std::u16string_view name);

// Splits at the last backslash. A bare drive ("c:") keeps its backslash,
// since "c:" alone would mean the drive's current folder, not its root. The
// name is pre-filled only when valid and shorter than `buffer_units`.
RequesterStart requester_start(std::u16string_view default_file, std::size_t buffer_units);

// "Description|*.a;*.b" as a filter list: every "|" becomes NUL, and the
// list ends with two NULs.
std::u16string requester_filter(std::u16string_view pattern);

// Tab order over `eligible` (in creation order): the next (or previous)
// eligible position after `current`, wrapping; with no current position
// (-1) the first (or last) eligible one. -1 when none is eligible.
int next_tab_position(std::span<const bool> eligible, int current, bool backwards);
