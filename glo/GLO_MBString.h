#ifndef GLO_GLO_MBSTRING_H
#define GLO_GLO_MBSTRING_H

#include "glo/GLO_CodePage.h"

#include <cstddef>
#include <string>

namespace glo {

// Number of characters of `text` up to its first zero byte, a lead/trail pair counting as one.
// @exception InvalidMBCharacter_t for an invalid or incomplete pair (a lead byte at the end).
std::size_t characterCount(const std::string& text, const CodePage_t& codePage = CodePage_t::current());

} // namespace glo

#endif
