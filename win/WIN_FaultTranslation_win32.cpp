#include "win/WIN_FaultTranslation.h"

#include "win/WIN_Exception.h"

#include <float.h>
#include <windows.h>

namespace win {

namespace {

// A recovery point: where a translated fault goes back to, and the copy of the fault's records
// that the exception is built from (the platform's own are gone once execution has resumed).
struct Recovery_t {
    void* jump[5] = {};
    bool pending = false;
    EXCEPTION_RECORD record{};
    CONTEXT context{};
    EXCEPTION_POINTERS pointers{};
};

DWORD g_slot = TLS_OUT_OF_INDEXES; // the thread's innermost recovery point
PVOID g_handler = nullptr;

Recovery_t* activeRecovery() {
    return g_slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Recovery_t*>(TlsGetValue(g_slot));
}

bool isProcessorFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
        return true;
    default:
        return false;
    }
}

HMODULE moduleAt(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(address), &module);
    return module;
}

// The module's own code and the C runtime it calls. A fault elsewhere (in the host, or in a
// system library that catches its own faults) is left to whoever handles it there.
bool isTranslated(const void* address) {
    const HMODULE module = moduleAt(address);
    return module && (module == moduleAt(reinterpret_cast<const void*>(&activeRecovery)) ||
                      module == GetModuleHandleA("msvcrt.dll"));
}

[[noreturn]] void resumeAtRecovery() {
    Recovery_t* recovery = activeRecovery();
    _fpreset(); // a floating-point fault leaves the unit's state behind
    __builtin_longjmp(recovery->jump, 1);
}

// Makes the faulting thread continue in resumeAtRecovery, on its own stack below the fault, as if
// the faulting instruction had called it.
void redirect(CONTEXT& context) {
#if defined(__x86_64__)
    auto stack = (context.Rsp - 128) & ~static_cast<DWORD64>(15);
    stack -= sizeof(DWORD64);
    *reinterpret_cast<DWORD64*>(stack) = context.Rip;
    context.Rsp = stack;
    context.Rip = reinterpret_cast<DWORD64>(&resumeAtRecovery);
#else
    auto stack = (context.Esp - 64) & ~static_cast<DWORD>(15);
    stack -= sizeof(DWORD);
    *reinterpret_cast<DWORD*>(stack) = context.Eip;
    context.Esp = stack;
    context.Eip = reinterpret_cast<DWORD>(&resumeAtRecovery);
#endif
}

LONG WINAPI onException(EXCEPTION_POINTERS* exception) {
    Recovery_t* recovery = activeRecovery();
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (!recovery || recovery->pending || !isProcessorFault(record.ExceptionCode) ||
        !isTranslated(record.ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    recovery->pending = true;
    recovery->record = record;
    recovery->record.ExceptionRecord = nullptr;
    recovery->context = *exception->ContextRecord;
    recovery->pointers = {&recovery->record, &recovery->context};
    redirect(*exception->ContextRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The translator proper: the fault as an exception.
[[noreturn]] void translateFault(uint32_t code, const EXCEPTION_POINTERS* information) {
    const EXCEPTION_RECORD& record = *information->ExceptionRecord;
    FaultInfo_t info;
    info.faultAddress = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
    for (DWORD i = 0; i < 2 && i < record.NumberParameters; ++i)
        info.parameters[i] = record.ExceptionInformation[i];
    throw StructuredException_t(code, information, info);
}

// Restores the thread's previous recovery point on every way out.
class RecoveryScope_t {
public:
    explicit RecoveryScope_t(Recovery_t* recovery) : m_outer(activeRecovery()) {
        TlsSetValue(g_slot, recovery);
    }
    ~RecoveryScope_t() { TlsSetValue(g_slot, m_outer); }
    RecoveryScope_t(const RecoveryScope_t&) = delete;
    RecoveryScope_t& operator=(const RecoveryScope_t&) = delete;

private:
    Recovery_t* m_outer;
};

// Takes the handler out when the module is unloaded, so that it never runs from freed code.
struct Uninstaller_t {
    ~Uninstaller_t() { removeFaultTranslator(); }
} g_uninstaller;

} // namespace

void installFaultTranslator() {
    if (g_handler)
        return;
    if (g_slot == TLS_OUT_OF_INDEXES)
        g_slot = TlsAlloc();
    if (g_slot != TLS_OUT_OF_INDEXES)
        g_handler = AddVectoredExceptionHandler(1, &onException);
}

void removeFaultTranslator() {
    if (g_handler)
        RemoveVectoredExceptionHandler(g_handler);
    g_handler = nullptr;
    if (g_slot != TLS_OUT_OF_INDEXES)
        TlsFree(g_slot);
    g_slot = TLS_OUT_OF_INDEXES;
}

void runTranslatingFaults(void (*body)(void*), void* context) {
    if (!g_handler) {
        body(context);
        return;
    }
    // Going back to the recovery point restores only the frame and stack pointers: the registers a
    // callee must preserve hold whatever the faulting code left in them. Naming them clobbered
    // here makes this function save the caller's values on entry and describe that in its unwind
    // information, so that the exception raised below hands them back to the entry point intact.
#if defined(__x86_64__)
    asm volatile("" ::
                     : "rbx", "rsi", "rdi", "r12", "r13", "r14", "r15", "xmm6", "xmm7", "xmm8", "xmm9",
                       "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15", "memory");
#else
    asm volatile("" ::: "ebx", "esi", "edi", "memory");
#endif
    Recovery_t recovery;
    RecoveryScope_t scope(&recovery);
    if (__builtin_setjmp(recovery.jump) == 0) {
        body(context);
        return;
    }
    translateFault(recovery.record.ExceptionCode, &recovery.pointers);
}

} // namespace win
