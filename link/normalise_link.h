#pragma once
// Rewrites an rtmp-family address, in any pasted dialect (rtmpdump command
// lines and short options, name=value pairs, query parameters, XML tags and
// CDATA, gateway wrappers), into the address followed by rtmpdump long
// options, with single spaces and no leading or trailing spaces. Pure text rewriting: never fails,
// linear in the length of the text.
#include <string>
#include <string_view>

std::u16string normalise_link(std::u16string_view address);
