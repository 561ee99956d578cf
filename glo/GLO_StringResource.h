#ifndef GLO_GLO_STRINGRESOURCE_H
#define GLO_GLO_STRINGRESOURCE_H

namespace glo {

// The module that holds the user-interface resources (the language library), loaded on first use
// and kept for the life of the process.
using ModuleHandle = void*;
using ModuleLoader = ModuleHandle (*)();

// How the module is loaded (the loader raises its own failures), and the module once loaded.
struct ResourceModuleState_t {
    ModuleLoader loader = nullptr;
    ModuleHandle module = nullptr;
};
ModuleLoader resourceModuleLoader();
// Installs a loader and what it loaded; returns the state it replaces.
ResourceModuleState_t exchangeResourceModuleState(ResourceModuleState_t state);

// The loaded module. @exception glo::Assert_t (line 103) when the loader gives no module; whatever
// the loader raises passes through. In both cases nothing is kept, so a later call tries again.
ModuleHandle ResourceModule();

} // namespace glo

#endif
