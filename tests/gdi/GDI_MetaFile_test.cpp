#include "gdi/GDI_MetaFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {
int g_deleted = 0;
bool countDeletion(gdi::MetaFileHandle) {
    ++g_deleted;
    return true;
}
} // namespace

TEST(GdiMetaFile, ANullHandleIsAnAssertion) {
    EXPECT_RAISES(gdi::MetaFile_t(nullptr), glo::Assert_t, "GDI_MetaFile.cpp", 33);
}

TEST(GdiMetaFile, TheHandleIsDeletedWithTheLastSharer) {
    g_deleted = 0;
    const gdi::DeleteMetaFileFn previous = gdi::setDeleteMetaFile(&countDeletion);
    int picture = 0;
    {
        gdi::MetaFilePtr_t first(new gdi::MetaFile_t(&picture));
        gdi::MetaFilePtr_t second = first;
        first.reset();
        EXPECT_EQ(g_deleted, 0);
    }
    EXPECT_EQ(g_deleted, 1);
    gdi::setDeleteMetaFile(previous);
}
