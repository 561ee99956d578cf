#ifndef HOST_TEXT_TERMINALTEXT_H
#define HOST_TEXT_TERMINALTEXT_H

// Text for a terminal's columns. Widths count the cells a character takes (two for East Asian
// wide characters), not bytes or characters, so that tables line up whatever the script.

#include <cstddef>
#include <string>

namespace host {

// Controls (tabs, line breaks...) become blanks and bytes that are not UTF-8 become U+FFFD, so
// that a name stays on its line.
std::string oneLine(const std::string& utf8);

// Cells the text takes.
std::size_t displayWidth(const std::string& utf8);

// The text cut to at most `width` cells, ending in "…" when it was cut; never in the middle of
// a character.
std::string fitWidth(const std::string& utf8, std::size_t width);

// The text fitted, then padded with blanks to exactly `width` cells: on the right (`alignLeft`)
// or on the left.
std::string padWidth(const std::string& utf8, std::size_t width, bool alignLeft = true);

} // namespace host

#endif
