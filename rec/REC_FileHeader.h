#ifndef REC_REC_FILEHEADER_H
#define REC_REC_FILEHEADER_H

#include "bin/BIN_stream.h"
#include "rec/REC_FileFormat.h"

#include <cstdint>
#include <string>

namespace rec {

// What the header of a record file says, and what the reader skipped.
struct FileInfo_t {
    uint16_t formatVersion = 0;
    uint16_t writerVersion = 0;
    std::string buildLabel;
    std::string buildDate;
    std::string buildTime;
    std::size_t unknownRecords = 0; // records of types this reader does not know, skipped
    std::size_t records = 0;
};

// The start of every record file: the signature "QvRcd\0", a format record 'D' with the format
// version, and a writer record 'A' with the writer version and the build stamp.
class FileHeader_t {
public:
    explicit FileHeader_t(uint16_t writerVersion) : m_writerVersion(writerVersion) {}

    uint16_t formatVersion() const { return m_formatVersion; }
    uint16_t writerVersion() const { return m_writerVersion; }

    void write(bin::basic_ostream& out) const;

private:
    uint16_t m_formatVersion = bin::kFormatVersion;
    uint16_t m_writerVersion;
};

// The payloads of the format and writer records, read whole into `info`.
// @exception FileFormatError_t (line 33) for a format newer than the reader knows.
void readFormatRecord(Payload_t& payload, FileInfo_t& info);
void readWriterRecord(Payload_t& payload, FileInfo_t& info);

} // namespace rec

#endif
