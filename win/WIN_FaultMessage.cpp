#include "win/WIN_Exception.h"

#include <iomanip>
#include <sstream>

namespace win {

namespace {

struct FaultText {
    uint32_t code;
    const char* text;
};

constexpr FaultText kFaultTexts[] = {
    {0x80000001, "Guard page at "},
    {0x80000002, "Data type misalignment at "},
    {0x80000003, "Breakpoint at "},
    {0x80000004, "Single step at "},
    {0xC0000006, "In page error at "},
    {0xC0000008, "Invalid handle at "},
    {0xC000001D, "Illegal instruction at "},
    {0xC0000025, "Non-continuable exception at "},
    {0xC0000026, "Invalid disposition at "},
    {0xC000008C, "Array bounds exceeded at "},
    {0xC000008D, "Float denormal operand at "},
    {0xC000008E, "Float divide by zero at "},
    {0xC000008F, "Float inexact result at "},
    {0xC0000090, "Float invalid operation at "},
    {0xC0000091, "Float overflow at "},
    {0xC0000092, "Float stack check at "},
    {0xC0000093, "Float underflow at "},
    {0xC0000094, "Integer divide by zero at "},
    {0xC0000095, "Integer overflow at "},
    {0xC0000096, "Privileged instruction at "},
    {0xC00000FD, "Stack overflow at "},
};

constexpr uint32_t kAccessViolation = 0xC0000005;

const char* textOf(uint32_t code) {
    for (const FaultText& entry : kFaultTexts)
        if (entry.code == code)
            return entry.text;
    return nullptr;
}

} // namespace

std::string faultMessage(uint32_t code, const FaultInfo_t& info) {
    std::ostringstream out;
    out << std::hex;
    if (code == kAccessViolation) {
        out << (info.parameters[0] == 0 ? "Read" : "Write") << " access violation at data address 0x"
            << info.parameters[1] << ",\n";
    } else if (const char* text = textOf(code)) {
        out << text;
    } else {
        out << "Exception: 0x" << std::uppercase << code << std::nouppercase << " at ";
    }
    out << "program address 0x" << std::uppercase << std::setw(8) << std::setfill('0') << info.faultAddress
        << ".";
    return out.str();
}

} // namespace win
