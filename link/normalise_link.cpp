#include "link/normalise_link.h"

std::u16string normalise_link(std::u16string_view address) { return std::u16string(address); }
