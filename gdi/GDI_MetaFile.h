#ifndef GDI_GDI_METAFILE_H
#define GDI_GDI_METAFILE_H

#include "glo/GLO_SmartPtr.h"

namespace gdi {

// Opaque handle of a recorded picture. On Windows this is the system's metafile handle; elsewhere
// pictures are recorded by our own drawing stand-in and only their lifetime matters.
using MetaFileHandle = void*;

// Hook that deletes a picture handle; returns false when the deletion fails. Replaceable for tests.
using DeleteMetaFileFn = bool (*)(MetaFileHandle);
// Null deletes nothing. Returns the hook it replaces (null for the default).
DeleteMetaFileFn setDeleteMetaFile(DeleteMetaFileFn deleter);

// A shared, reference-counted picture. Owns its handle and deletes it when the last owner goes.
class MetaFile_t : public glo::RefCounter_t {
public:
    // @exception glo::Assert_t (line 33) for a null handle.
    explicit MetaFile_t(MetaFileHandle handle);
    // A failed deletion is a broken invariant, but a destructor cannot raise it; it is counted.
    ~MetaFile_t() override;
    MetaFile_t(const MetaFile_t&) = delete;
    MetaFile_t& operator=(const MetaFile_t&) = delete;

    MetaFileHandle handle() const { return m_handle; }
    // Number of deletions that failed so far (each would be an assertion at line 42).
    static int failedDeletions();

private:
    bool m_owned = true;
    MetaFileHandle m_handle;
};

using MetaFilePtr_t = glo::SmartPtr_t<MetaFile_t>;

} // namespace gdi

#endif
