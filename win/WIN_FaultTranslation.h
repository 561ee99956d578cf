#ifndef WIN_WIN_FAULTTRANSLATION_H
#define WIN_WIN_FAULTTRANSLATION_H

#include <type_traits>

namespace win {

// Turns processor faults into win::StructuredException_t. The runtime of this toolchain has no
// per-thread translator, so the translation is made of two halves: a process-wide handler,
// installed once at start-up, and a recovery point that an entry point sets around its work.
// A fault in the module's code (or in the C runtime it calls) while a recovery point is set on the
// faulting thread goes back to that point, which raises the exception in its own frame, where the
// entry point's handlers catch it. On POSIX nothing is installed and faults stay faults.
//
// Going back skips the frames between the fault and the recovery point: their objects are not
// destroyed (memory, open files and handheld databases stay as they were), and a lock a skipped
// frame held stays held. A stack overflow is not translated: there is no stack left to do it on.
void installFaultTranslator();
void removeFaultTranslator();

// Runs body(context) with a recovery point set for the calling thread.
// @exception StructuredException_t for a translated fault; whatever body raises otherwise.
void runTranslatingFaults(void (*body)(void*), void* context);

template <class Body> void translatingFaults(Body&& body) {
    using Plain = std::remove_reference_t<Body>;
    runTranslatingFaults([](void* context) { (*static_cast<Plain*>(context))(); }, &body);
}

} // namespace win

#endif
