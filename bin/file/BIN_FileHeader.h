#ifndef BIN_FILE_BIN_FILEHEADER_H
#define BIN_FILE_BIN_FILEHEADER_H

#include "bin/BIN_stream.h"

#include <cstdint>

namespace bin {

// The start of every record file: the signature "QvRcd\0", a format record 'D' with the format
// version, and a writer record 'A' with the writer version and the build stamp.
class FileHeader_t {
public:
    static constexpr char kSignature[6] = {'Q', 'v', 'R', 'c', 'd', '\0'};

    explicit FileHeader_t(uint16_t writerVersion) : m_writerVersion(writerVersion) {}

    uint16_t formatVersion() const { return m_formatVersion; }
    uint16_t writerVersion() const { return m_writerVersion; }

    void write(basic_ostream& out) const;

private:
    uint16_t m_formatVersion = kFormatVersion;
    uint16_t m_writerVersion;
};

// The writer version the conduit puts in its files.
constexpr uint16_t kConduitWriterVersion = 203;

} // namespace bin

#endif
