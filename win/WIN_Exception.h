#ifndef WIN_WIN_EXCEPTION_H
#define WIN_WIN_EXCEPTION_H

#include "glo/GLO_Exception.h"

#include <cstdint>
#include <exception>
#include <string>

namespace win {

// "Windows Error Code: <code>\n" followed by the system's text for the code, as the system gives
// it (with its own line end). On POSIX the code is an errno value and the text its strerror.
std::string errorText(uint32_t code);

// The calling thread's last system error (GetLastError, or errno on POSIX).
uint32_t lastErrorCode();

// A failed system call: the code is the thread's last error at construction, the message its text.
class Error_t : public glo::Exception_t {
public:
    Error_t(const char* source, int line) : Error_t(source, line, lastErrorCode()) {}
    Error_t(const char* source, int line, uint32_t code)
        : glo::Exception_t(source, line, errorText(code)), m_code(code) {}
    uint32_t code() const { return m_code; }

private:
    uint32_t m_code;
};

// What the platform reports about a processor fault.
struct FaultInfo_t {
    uint64_t faultAddress = 0;   // the program address that faulted
    uint64_t parameters[2] = {}; // access violation: read (0) or write, and the data address
};

// The readable message of a processor fault with the given exception code.
std::string faultMessage(uint32_t code, const FaultInfo_t& info);

// A processor fault turned into an exception. Deliberately not a glo::Exception_t: handlers of the
// module's own failures must not swallow it.
class StructuredException_t : public std::exception {
public:
    // `information` is the platform's record of the fault; valid only during the translation.
    StructuredException_t(uint32_t code, const void* information, const FaultInfo_t& info)
        : m_code(code), m_information(information), m_message(faultMessage(code, info)) {}
    const char* what() const noexcept override { return m_message.c_str(); }
    uint32_t code() const { return m_code; }
    const void* information() const { return m_information; }

private:
    uint32_t m_code;
    const void* m_information;
    std::string m_message;
};

} // namespace win

#endif
