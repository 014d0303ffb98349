#pragma once
#include <string>

// A shell special folder (CSIDL) ending in one backslash, or empty.
std::u16string special_folder(int csidl);
// Deletes the player's crash-dump file under the roaming application data.
void remove_player_crash_dump();
