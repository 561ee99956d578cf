#ifndef DLP_DLP_PACKET_H
#define DLP_DLP_PACKET_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dlp {

// Desktop Link functions the desktop sends.
enum class Function : uint8_t {
    ReadUserInfo = 0x10,
    ReadSysInfo = 0x12,
    ReadDBList = 0x16,
    OpenDB = 0x17,
    CloseDB = 0x19,
    ReadAppBlock = 0x1B,
    ReadRecord = 0x20,
    AddSyncLogEntry = 0x2A,
    ReadOpenDBInfo = 0x2B,
    OpenConduit = 0x2E,
    EndOfSync = 0x2F,
    ReadRecordIDList = 0x31,
};

// Error codes of answers.
enum DlpError : uint16_t {
    kDlpOk = 0,
    kDlpUnknownFunction = 2,
    kDlpBadHandle = 4,
    kDlpNotFound = 5,
    kDlpNoneOpen = 6,
    kDlpAlreadyOpen = 7,
};

constexpr uint8_t kFirstArgument = 0x20;

struct Argument_t {
    uint8_t id = kFirstArgument;
    std::string data;
};

struct Request_t {
    uint8_t function = 0;
    std::vector<Argument_t> arguments;
    const Argument_t* argument(uint8_t id) const;
};

struct Response_t {
    uint8_t function = 0; // the request's function, without the answer bit
    uint16_t error = kDlpOk;
    std::vector<Argument_t> arguments;
    const Argument_t* argument(uint8_t id) const;
};

// Each argument in the smallest form that fits: tiny (u8 id, u8 length), small (id | 0x80, 00,
// u16 length) or long (id | 0x40, 00, u32 length).
std::string encodeRequest(const Request_t& request);
std::string encodeResponse(const Response_t& response);
// @exception ProtocolError_t for bytes that are not a whole request or answer.
Request_t decodeRequest(const std::string& payload);
Response_t decodeResponse(const std::string& payload);

} // namespace dlp

#endif
