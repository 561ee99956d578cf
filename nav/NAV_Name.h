#ifndef NAV_NAV_NAME_H
#define NAV_NAV_NAME_H

#include "bin/BIN_stream.h"

#include <string>

namespace nav {

// A name in the system code page that never ends in a blank (0x20): every path that sets it trims
// trailing blanks. Names order case-insensitively (multibyte-aware) in the current code page, so
// names that differ only in letter case are the same key.
class Name_t {
public:
    Name_t() = default;
    explicit Name_t(const std::string& text) : m_text(trimmed(text)) {}
    virtual ~Name_t() = default;
    Name_t(const Name_t&) = default;
    Name_t& operator=(const Name_t&) = default;
    Name_t(Name_t&&) noexcept = default;
    Name_t& operator=(Name_t&&) noexcept = default;

    const std::string& str() const { return m_text; }
    void setText(const std::string& text) { m_text = trimmed(text); }

    // The characters and a zero byte.
    virtual void write(bin::basic_ostream& out) const;
    // Bytes up to a zero byte, trimmed; the name stays as it was if the stream fails.
    virtual void read(bin::basic_istream& in);

    // @exception glo::InvalidMBCharacter_t when either text is not valid in the code page.
    friend bool operator<(const Name_t& a, const Name_t& b);

    static std::string trimmed(const std::string& text);

private:
    std::string m_text;
};

} // namespace nav

#endif
