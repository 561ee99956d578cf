#ifndef DLP_DLP_VALUES_H
#define DLP_DLP_VALUES_H

#include "dlp/DLP_Bytes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dlp {

// A date as the handheld sends it: u16 year, u8 month, day, hour, minute, second, 00. Year 0 is
// "none", and the other bytes may then hold leftovers, which are kept as they came.
struct Date_t {
    std::array<uint8_t, 8> bytes{};
    uint16_t year() const { return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]); }
};

struct UserInfo_t {
    uint32_t userId = 0;
    uint32_t viewerId = 0;
    uint32_t lastSyncPc = 0;
    Date_t successfulSync;
    Date_t lastSync;
    std::string name; // empty: the handheld has no user yet
    std::string password;
};

struct SysInfo_t {
    uint32_t romVersion = 0;
    uint32_t locale = 0;
    std::string productId;
    bool hasVersions = false; // DLP 1.2 and later say their versions
    uint16_t dlpMajor = 0, dlpMinor = 0, compatMajor = 0, compatMinor = 0;
    uint32_t largestRecord = 0;
};

struct DbInfo_t {
    uint8_t miscFlags = 0;
    uint16_t attributes = 0;
    std::string type;    // 4 bytes
    std::string creator; // 4 bytes
    uint16_t version = 0;
    uint32_t modificationNumber = 0;
    Date_t created, modified, backedUp;
    uint16_t index = 0;
    std::string name;
};

struct DbList_t {
    uint16_t lastIndex = 0;
    bool more = false;
    std::vector<DbInfo_t> databases;
};

struct Record_t {
    uint32_t id = 0;
    uint16_t index = 0;
    uint16_t size = 0; // of the whole record, whatever part was asked for
    uint8_t attributes = 0;
    uint8_t category = 0;
    std::string data;
};

// Each value's argument bytes, written and read as a pair; reads take untrusted bytes.
std::string encodeUserInfo(const UserInfo_t& info);
UserInfo_t decodeUserInfo(const std::string& bytes);
// The first argument (0x20) and, when the handheld has them, the second (0x21).
std::string encodeSysInfo(const SysInfo_t& info);
std::string encodeSysVersions(const SysInfo_t& info);
SysInfo_t decodeSysInfo(const std::string& first, const std::string* versions);
std::string encodeDbList(const DbList_t& list);
DbList_t decodeDbList(const std::string& bytes);
std::string encodeRecord(const Record_t& record);
Record_t decodeRecord(const std::string& bytes);

void putDate(Writer_t& out, const Date_t& date);
Date_t takeDate(Reader_t& in);

} // namespace dlp

#endif
