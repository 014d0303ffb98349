#pragma once
// Rewrites an rtmp-family address, in any pasted dialect, into the address
// followed by rtmpdump long options.
#include <string>
#include <string_view>

std::u16string normalise_link(std::u16string_view address);
