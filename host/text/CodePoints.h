#ifndef HOST_TEXT_CODEPOINTS_H
#define HOST_TEXT_CODEPOINTS_H

#include <cstddef>
#include <optional>
#include <string_view>

namespace host {

// One character of UTF-8 text: its code point and how many bytes it takes. A byte that does not
// start a well-formed sequence (a stray continuation byte, an overlong form, a surrogate, a cut
// sequence) is one byte without a code point, so that a caller can replace it and go on.
struct CodePoint_t {
    std::optional<char32_t> value;
    std::size_t size = 1;
};

// The character at `at` (which must be before the end of `utf8`).
CodePoint_t codePointAt(std::string_view utf8, std::size_t at);

// Columns a character takes on a terminal: 2 for East Asian wide and fullwidth characters (and
// emoji), 0 for combining marks and zero-width characters, else 1.
int columnsOf(char32_t c);

// Controls, line and paragraph separators and the blanks a file name should not carry.
bool isSpaceOrControl(char32_t c);

} // namespace host

#endif
