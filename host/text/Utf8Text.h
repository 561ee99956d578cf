#ifndef HOST_TEXT_UTF8TEXT_H
#define HOST_TEXT_UTF8TEXT_H

#include <cstdint>
#include <string>

namespace host {

// Names are bytes in the handheld's code page; GPX, GeoJSON, SVG and JSON are UTF-8. Converts
// with the C library's iconv; a byte sequence that cannot be converted becomes U+FFFD.
std::string fromCodePage(const std::string& text, uint32_t codePage);

// The same, and control characters that XML cannot hold become U+FFFD too, so that any name
// gives a valid document.
std::string toUtf8(const std::string& text, uint32_t codePage);

// Escapes &, <, >, " and ' for XML text and attribute values (the input is UTF-8).
std::string xmlEscape(const std::string& utf8);

// Characters (code points) of UTF-8 text.
std::size_t characterCount(const std::string& utf8);

// The text cut to at most `characters` characters, the last one an ellipsis when it was cut;
// never in the middle of a character.
std::string fitCharacters(const std::string& utf8, std::size_t characters);

// The text padded with blanks to `characters` characters (after fitting it), for columns.
std::string padCharacters(const std::string& utf8, std::size_t characters);

} // namespace host

#endif
