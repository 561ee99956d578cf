#ifndef HOST_MAP_TEXTFIT_H
#define HOST_MAP_TEXTFIT_H

#include <string>

namespace host {

// A generous estimate of how wide UTF-8 text is drawn in a sans-serif font of `fontSize` pixels:
// wide (East Asian) characters count a whole em, combining marks nothing, the rest by their shape.
// The SVG is drawn by whatever reads it, so the estimate errs on the wide side.
double textWidth(const std::string& utf8, double fontSize);

// The text whole when it fits in `pixels`, else its longest start that fits with "…" (U+2026)
// after it, cut between characters, never inside one. Malformed UTF-8 is cut before the first
// byte that does not start a character.
std::string fitWidth(const std::string& utf8, double pixels, double fontSize);

} // namespace host

#endif
