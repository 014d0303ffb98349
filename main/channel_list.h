#pragma once
// The entries of a link file, line by line as it is read: a plain file
// gives one entry per line; a channel list (an M3U file, whatever player
// it was written for) one per channel, shown by its name, its address
// carrying the request headers the list asks for.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/header_list.h"

struct LinkEntry {
    std::u16string link;  // what the address field takes
    std::u16string item;  // what the list shows; empty when that is `link`
};

// What reading a link file has seen so far: the kind of file, and in a
// channel list what the entry waiting for its address holds.
struct LinkFileReading {
    enum class Kind { unknown, plain, channels } kind = Kind::unknown;
    // While the kind is unknown: the blank lines so far, as a plain file
    // would show them.
    std::vector<std::u16string> blank_lines;
    bool extinf = false;  // an #EXTINF: line waits for its address
    std::u16string name;
    std::optional<std::u16string> user_agent, referrer;  // #EXTVLCOPT:, the last of each
    std::vector<RequestHeader> prop_headers;             // #KODIPROP:, in written order
};

// One line as read from the file, without its line end: appends the
// entries it completes to `entries`. A file is a channel list when its
// first line that is not blank begins with #EXTM3U, #EXTINF:, #EXTVLCOPT:
// or #KODIPROP: (any letter case, behind a byte-order mark).
void read_link_line(LinkFileReading& reading, std::u16string_view line, std::vector<LinkEntry>& entries);
// At the end of the file: the entries still waiting (a file of blank lines).
void end_link_file(LinkFileReading& reading, std::vector<LinkEntry>& entries);
bool is_channel_list(const LinkFileReading& reading);

// The name of a channel on its #EXTINF: line: the text after the first comma
// that is not inside double quotes, spaces trimmed; empty without one.
std::u16string channel_name(std::u16string_view extinf_line);
// `address` with `headers` appended to its header list (link/header_list.h),
// each only when neither the address nor a header before it has that name.
// An rtmp address takes none: rtmpdump cannot send them.
std::u16string with_headers(const std::u16string& address, const std::vector<RequestHeader>& headers);
