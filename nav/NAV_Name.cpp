#include "nav/NAV_Name.h"

#include "glo/GLO_CodePage.h"
#include "glo/GLO_NoCase.h"

namespace nav {

std::string Name_t::trimmed(const std::string& text) {
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

void Name_t::write(bin::basic_ostream& out) const {
    out << m_text;
}

void Name_t::read(bin::basic_istream& in) {
    if (in.fail())
        return;
    std::string text;
    in >> text;
    if (in.good())
        m_text = trimmed(text);
}

bool operator<(const Name_t& a, const Name_t& b) {
    return glo::noCaseLess(a.m_text, b.m_text, glo::CodePage_t::current());
}

} // namespace nav
