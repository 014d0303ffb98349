#pragma once
// The entries of a link file, line by line as it is read: a plain file
// gives one entry per line; a channel list (an M3U file, "#EXTM3U" on its
// first line) one per channel, shown by its name, its address carrying the
// request headers the list asks for.
#include <optional>
#include <string>
#include <string_view>

struct LinkEntry {
    std::u16string link;  // what the address field takes
    std::u16string item;  // what the list shows; empty when that is `link`
};

// What reading a link file has seen so far: the kind of file, and in a
// channel list what the entry waiting for its address holds.
struct LinkFileReading {
    enum class Kind { unknown, plain, channels } kind = Kind::unknown;
    bool extinf = false;  // an #EXTINF: line waits for its address
    std::u16string name;
    std::optional<std::u16string> user_agent, referrer;
};

// One line as read from the file, without its line end; the entry it
// completes, if any.
std::optional<LinkEntry> read_link_line(LinkFileReading& reading, std::u16string_view line);
// True once the first line has named the file a channel list.
bool is_channel_list(const LinkFileReading& reading);

// The name of a channel on its #EXTINF: line: the text after the first comma
// that is not inside double quotes, spaces trimmed; empty without one.
std::u16string channel_name(std::u16string_view extinf_line);
// `address` with the headers an entry's options ask for appended as a header
// list (link/header_list.h), each only when the address lacks that name.
// An rtmp address takes none: rtmpdump cannot send them.
std::u16string with_headers(const std::u16string& address, const std::optional<std::u16string>& user_agent,
                            const std::optional<std::u16string>& referrer);
