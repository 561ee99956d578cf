#include "gdi/GDI_MetaFile.h"

#include "glo/GLO_Exception.h"

namespace gdi {

namespace {
bool deleteNothing(MetaFileHandle) {
    return true;
}
DeleteMetaFileFn g_delete = &deleteNothing;
int g_failedDeletions = 0;
} // namespace

DeleteMetaFileFn setDeleteMetaFile(DeleteMetaFileFn deleter) {
    const DeleteMetaFileFn previous = g_delete == &deleteNothing ? nullptr : g_delete;
    g_delete = deleter ? deleter : &deleteNothing;
    return previous;
}

MetaFile_t::MetaFile_t(MetaFileHandle handle) : m_handle(handle) {
    glo::check(handle != nullptr, "GDI_MetaFile.cpp", 33);
}

MetaFile_t::~MetaFile_t() {
    if (m_owned && !g_delete(m_handle))
        ++g_failedDeletions;
}

int MetaFile_t::failedDeletions() {
    return g_failedDeletions;
}

} // namespace gdi
