#ifndef WIN_WIN_FILEVERINFO_H
#define WIN_WIN_FILEVERINFO_H

#include <cstdint>
#include <string>
#include <vector>

namespace win {

// A file's version-information block.
class FileVerInfo_t {
public:
    // @exception Error_t (line 29) when the file has no version block, (line 37) when it cannot be read.
    explicit FileVerInfo_t(const std::string& fileName);
    // The fixed file version as four numbers, most significant first (2.3.1.0 gives 2, 3, 1, 0).
    // @exception glo::Assert_t (line 56) when the block has no root entry.
    std::vector<uint16_t> FileVersion() const;

private:
    std::string m_fileName;
    std::vector<char> m_block;
};

} // namespace win

#endif
