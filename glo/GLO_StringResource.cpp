#include "glo/GLO_StringResource.h"

#include "glo/GLO_Exception.h"

namespace glo {

namespace {
ModuleLoader g_loader = nullptr;
ModuleHandle g_module = nullptr;
} // namespace

void setResourceModuleLoader(ModuleLoader loader) {
    g_loader = loader;
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
