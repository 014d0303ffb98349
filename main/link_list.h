#pragma once
// The list of addresses loaded from a file, stepped through into the
// address field.
#include <windows.h>

#include <string>

#include "base/program_state.h"

void load_link_file(ProgramState& state, HWND window);
// Steps 3 to 6 of the load for an already chosen file (the requester's
// result); replaces list, links, address field, link_index and link_dir.
void load_links_from(ProgramState& state, HWND window, const std::u16string& path);
void next_link(ProgramState& state, HWND window);
void previous_link(ProgramState& state, HWND window);
void select_link(ProgramState& state, HWND window);
