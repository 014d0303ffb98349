#pragma once
#include <string>
#include <string_view>

// The earlier normalise_link, same results, one full pass per table row.
std::u16string normalise_link_before(std::u16string_view address);
