#include "glo/GLO_StringResource.h"

#include "glo/GLO_Exception.h"

namespace glo {

namespace {
ModuleLoader g_loader = nullptr;
ModuleHandle g_module = nullptr;
} // namespace

ModuleLoader resourceModuleLoader() {
    return g_loader;
}

ResourceModuleState_t exchangeResourceModuleState(ResourceModuleState_t state) {
    const ResourceModuleState_t previous{g_loader, g_module};
    g_loader = state.loader;
    g_module = state.module;
    return previous;
}

ModuleHandle ResourceModule() {
    if (g_module)
        return g_module;
    ModuleHandle loaded = g_loader ? g_loader() : nullptr;
    check(loaded != nullptr, "GLO_StringResource.cpp", 103);
    g_module = loaded;
    return g_module;
}

} // namespace glo
