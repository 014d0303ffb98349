#pragma once
#include <string>

// A shell special folder (CSIDL) ending in one backslash, or empty.
std::u16string special_folder(int csidl);
// Deletes the player's crash-dump file under the roaming application data.
void remove_player_crash_dump();

// `folder` ending in exactly one added backslash; unchanged when it already
// ends in one (a drive root). Empty stays empty: a lone "\" would point at
// the root of the current drive.
inline std::u16string with_trailing_backslash(std::u16string folder) {
    if (!folder.empty() && folder.back() != u'\\') folder.push_back(u'\\');
    return folder;
}

// The crash-dump file below an application-data folder that ends in a
// backslash (as special_folder returns it); empty when the folder is.
inline std::u16string player_crash_dump_path(const std::u16string& appdata) {
    return appdata.empty() ? std::u16string() : appdata + u"vlc\\crashdump";
}
