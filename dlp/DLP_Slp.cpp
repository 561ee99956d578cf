#include "dlp/DLP_Slp.h"

#include "dlp/DLP_Bytes.h"

#include <array>
#include <stdexcept>

namespace dlp {

namespace {

constexpr std::string_view kSignature("\xBE\xEF\xED", 3);

// The sum of the header's first nine bytes, modulo 256.
uint8_t headerSum(std::string_view header) {
    unsigned sum = 0;
    for (const char byte : header.substr(0, kSlpHeaderSize - 1))
        sum += static_cast<uint8_t>(byte);
    return static_cast<uint8_t>(sum & 0xFF);
}

// How many bytes at the end could be the first bytes of a signature.
std::size_t signatureStartAtEnd(std::string_view bytes) {
    for (std::size_t keep = kSignature.size() - 1; keep > 0; --keep)
        if (bytes.size() >= keep && bytes.substr(bytes.size() - keep) == kSignature.substr(0, keep))
            return keep;
    return 0;
}

// The CRC of each byte value alone: every byte of a 64 KB record is checked once per frame, and a
// byte at a time this is most of the desktop's work on the serial stack.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        auto crc = static_cast<uint16_t>(value << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        table[value] = crc;
    }
    return table;
}();

} // namespace

uint16_t slpCrc(std::string_view bytes) {
    uint16_t crc = 0;
    for (const char byte : bytes)
        crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ static_cast<uint8_t>(byte)) & 0xFF]);
    return crc;
}

std::string encodeSlp(const SlpFrame_t& frame) {
    if (frame.payload.size() > 0xFFFF)
        throw std::length_error("an SLP frame holds at most 65535 bytes");
    Writer_t out;
    out.bytes(kSignature).u8(frame.destination).u8(frame.source).u8(frame.type);
    out.u16(static_cast<uint16_t>(frame.payload.size())).u8(frame.transaction);
    out.u8(headerSum(out.data()));
    out.bytes(frame.payload);
    out.u16(slpCrc(out.data()));
    return out.take();
}

SlpScan_t scanSlp(std::string_view bytes) {
    SlpScan_t scan;
    const std::size_t at = bytes.find(kSignature);
    if (at == std::string_view::npos) {
        scan.size = bytes.size() - signatureStartAtEnd(bytes);
        scan.kind = scan.size ? SlpScan_t::Garbage : SlpScan_t::NeedMore;
        return scan;
    }
    if (at > 0) {
        scan.kind = SlpScan_t::Garbage;
        scan.size = at;
        return scan;
    }
    if (bytes.size() < kSlpHeaderSize)
        return scan;
    Reader_t header(bytes.substr(0, kSlpHeaderSize), "an SLP header");
    header.skip(kSignature.size());
    SlpFrame_t& frame = scan.frame;
    frame.destination = header.u8();
    frame.source = header.u8();
    frame.type = header.u8();
    const uint16_t length = header.u16();
    frame.transaction = header.u8();
    const uint8_t sum = header.u8();
    if (sum != headerSum(bytes) || length > kSlpMaxPayload) {
        scan.kind = SlpScan_t::Broken;
        scan.size = 1;
        return scan;
    }
    if (bytes.size() < kSlpHeaderSize + length + kSlpCrcSize)
        return scan; // NeedMore
    Reader_t body(bytes.substr(kSlpHeaderSize, length + kSlpCrcSize), "an SLP frame");
    frame.payload = std::string(body.bytes(length));
    if (body.u16() != slpCrc(bytes.substr(0, kSlpHeaderSize + length))) {
        frame.payload.clear();
        scan.kind = SlpScan_t::Broken;
        scan.size = 1;
        return scan;
    }
    scan.kind = SlpScan_t::Frame;
    scan.size = kSlpHeaderSize + length + kSlpCrcSize;
    return scan;
}

std::optional<std::size_t> readUntil(ByteStream_t& stream, char* data, std::size_t capacity,
                                     Deadline_t deadline) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (now >= deadline)
        return std::nullopt;
    try {
        return stream.readSome(data, capacity, ceil<milliseconds>(deadline - now));
    } catch (const LinkError_t&) {
        // Streams wait at least as long as asked; a few milliseconds cover rounding.
        if (steady_clock::now() + milliseconds(5) >= deadline)
            return std::nullopt;
        throw;
    }
}

std::optional<SlpFrame_t> SlpReader_t::next(Deadline_t deadline) {
    char chunk[4096];
    for (;;) {
        const SlpScan_t scan = scanSlp(m_buffer);
        switch (scan.kind) {
        case SlpScan_t::Frame:
            m_buffer.erase(0, scan.size);
            if (scan.frame.type == kSlpTypeLoopBack) {
                ++m_loopBacks;
                continue;
            }
            return scan.frame;
        case SlpScan_t::Garbage:
            m_skipped += scan.size;
            m_buffer.erase(0, scan.size);
            continue;
        case SlpScan_t::Broken:
            ++m_broken;
            m_skipped += scan.size;
            m_buffer.erase(0, scan.size);
            continue;
        case SlpScan_t::NeedMore:
            break;
        }
        const std::optional<std::size_t> got = readUntil(m_stream, chunk, sizeof chunk, deadline);
        if (!got)
            return std::nullopt;
        m_buffer.append(chunk, *got);
    }
}

} // namespace dlp
