#ifndef GLO_GLO_NOCASE_H
#define GLO_GLO_NOCASE_H

#include <locale>
#include <string>

namespace glo {

// Case-insensitive order of two texts in the code page of `locale`. Single-byte characters compare
// upper-cased as signed bytes (so 0x80..0xFF order before ASCII); a lead/trail pair compares by its
// code value (lead * 256 + trail) without case conversion. Equal prefixes: the shorter text first.
// @exception InvalidMBCharacter_t if either text holds an invalid sequence (a's checked first).
bool noCaseLess(const std::string& a, const std::string& b, const std::locale& locale);

class CodePage_t;
// The same order in a given code page.
bool noCaseLess(const std::string& a, const std::string& b, const CodePage_t& codePage);

} // namespace glo

#endif
