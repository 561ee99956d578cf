#ifndef REC_REC_FILEFORMAT_H
#define REC_REC_FILEFORMAT_H

#include "bin/BIN_stream.h"
#include "glo/GLO_Exception.h"

#include <cstdint>
#include <string>

namespace rec {

// The record types of the record file, named once. Every record is framed as a u32 payload length,
// the type byte, then the payload (bin::record_t).
enum class RecordType : char {
    Format = 'D',    // u16 format version; first in every file
    Writer = 'A',    // u16 writer version and the build stamp; second
    Waypoint = 'W',  // waypoint identifier and waypoint
    Route = 'R',     // route identifier, box and stops
    Track = 'T',     // track name, display flag, colour, points
    RouteFlag = '0', // route identifier and a flag byte
    LEntry = 'L',    // an entry of the L set
    NameFlag = 'V',  // a text and a flag byte
};

constexpr char typeByte(RecordType type) {
    return static_cast<char>(type);
}

// The signature before the first record.
inline constexpr char kSignature[6] = {'Q', 'v', 'R', 'c', 'd', '\0'};
// The writer version the conduit puts in its files, and the newest format version read.
constexpr uint16_t kConduitWriterVersion = 203;
constexpr uint16_t kNewestReadableVersion = 105;

// A record file that cannot be read: the message names the byte offset and what is wrong there.
class FileFormatError_t : public glo::Exception_t {
public:
    FileFormatError_t(const char* source, int line, uint64_t offset, const std::string& what)
        : glo::Exception_t(source, line, "offset " + std::to_string(offset) + ": " + what), m_offset(offset) {
    }
    uint64_t offset() const { return m_offset; }

private:
    uint64_t m_offset;
};

// One record's payload being read; every failure names the offset of the record.
class Payload_t {
public:
    Payload_t(const std::string& payload, uint64_t offset, uint16_t formatVersion);

    bin::basic_istream& in() { return m_in; }
    // The payload's bytes from the read position on, for readers that decode in place.
    const unsigned char* rest();
    std::size_t remaining() { return m_size - m_in.bytesRead(); }
    // Moves the read position on by `bytes` decoded in place.
    void skip(std::size_t bytes);

    [[noreturn]] void fail(const char* source, int line, const std::string& what) const;
    // The payload must have parsed cleanly and to its last byte.
    void finish(RecordType type);

private:
    const std::string& m_bytes;
    bin::basic_stringstream m_in;
    std::size_t m_size;
    uint64_t m_offset;
};

} // namespace rec

#endif
