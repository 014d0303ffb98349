// normalise_link against the plain reference of the program's rewriting
// table (every row applied to the whole text, character by character), plus
// properties that hold whatever the table: no character outside the table's
// alphabet is lost, added or moved (but for a pasted command line's lead);
// no outer spaces; bounded growth. (That
// its run time is linear in the length the benchmark shows.)
#include "link/normalise_link.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/normalise_reference.h"

#include <algorithm>

namespace {

// Characters that occur in no search or replacement text of the table.
bool outside_table(char16_t c) {
    if (c >= 0x80) return true;
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return false;
    return std::u16string_view(u" <>&=-:/$.?[]!0127").find(c) == std::u16string_view::npos;
}

std::u16string outside_only(std::u16string_view s) {
    std::u16string out;
    std::copy_if(s.begin(), s.end(), std::back_inserter(out), outside_table);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string in = fuzz::text(data, size);
    const std::u16string out = normalise_link(in);
    const std::u16string expected = normalise_reference::normalise(in);
    FUZZ_CHECK(out == expected, "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out) +
                                    "\nreference: " + fuzz::show(expected));
    FUZZ_CHECK(out.empty() || (out.front() != u' ' && out.back() != u' '), "outer space: " + fuzz::show(out));
    // Every match consumes at least two characters the table did not write
    // and emits at most twelve.
    FUZZ_CHECK(out.size() <= 6 * in.size(), "grew from " + std::to_string(in.size()) + " to " +
                                                 std::to_string(out.size()));
    // (A pasted command line's lead goes whole, whatever it holds.)
    const std::u16string_view pasted = std::u16string_view(in).substr(normalise_reference::command_lead(in));
    FUZZ_CHECK(outside_only(out) == outside_only(pasted), "in: " + fuzz::show(in) + "\nout: " + fuzz::show(out));
    return 0;
}
