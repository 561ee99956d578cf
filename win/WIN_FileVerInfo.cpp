#include "win/WIN_FileVerInfo.h"

#include "win/WIN_Exception.h"

#include <windows.h>

namespace win {

namespace {
constexpr const char* kSource = "WIN_FileVerInfo.cpp";
}

FileVerInfo_t::FileVerInfo_t(const std::string& fileName) : m_fileName(fileName) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
    if (size == 0)
        throw Error_t(kSource, 29);
    m_block.resize(size);
    if (!GetFileVersionInfoA(fileName.c_str(), 0, size, m_block.data()))
        throw Error_t(kSource, 37);
}

std::vector<uint16_t> FileVerInfo_t::FileVersion() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        throw glo::Assert_t(kSource, 56);
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
            LOWORD(fixed->dwFileVersionLS)};
}

} // namespace win
