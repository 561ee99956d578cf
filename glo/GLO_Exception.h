#ifndef GLO_GLO_EXCEPTION_H
#define GLO_GLO_EXCEPTION_H

#include <exception>
#include <string>

namespace glo {

// Base of every failure the module raises. `source` names the source file (with its extension) that
// raised it and must point at static text: only the pointer is kept.
class Exception_t : public std::exception {
public:
    Exception_t(const char* source, int line, std::string message = {})
        : m_source(source), m_line(line), m_message(std::move(message)) {}
    ~Exception_t() override = default;
    const char* what() const noexcept override { return m_message.c_str(); }

    const char* source() const noexcept { return m_source; }
    int line() const noexcept { return m_line; }
    const std::string& message() const noexcept { return m_message; }

private:
    const char* m_source;
    int m_line;
    std::string m_message;
};

// A broken internal invariant.
class Assert_t : public Exception_t {
public:
    Assert_t(const char* source, int line) : Exception_t(source, line) {}
};

// A value outside its valid range (usually from input data).
class OutOfRange_t : public Exception_t {
public:
    OutOfRange_t(const char* source, int line) : Exception_t(source, line) {}
};

// Text that is not a valid sequence of characters in the current code page.
class InvalidMBCharacter_t : public Exception_t {
public:
    InvalidMBCharacter_t(const char* source, int line) : Exception_t(source, line) {}
};

// A locale description the runtime cannot build; the message is the locale name.
class LocaleDoesNotExist_t : public Exception_t {
public:
    LocaleDoesNotExist_t(const char* source, int line, std::string name)
        : Exception_t(source, line, std::move(name)) {}
};

// Raises Assert_t(source, line) unless `condition` holds.
inline void check(bool condition, const char* source, int line) {
    if (!condition)
        throw Assert_t(source, line);
}

} // namespace glo

#endif
