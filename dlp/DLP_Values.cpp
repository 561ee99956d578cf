#include "dlp/DLP_Values.h"

namespace dlp {

void putDate(Writer_t& out, const Date_t& date) {
    for (const uint8_t byte : date.bytes)
        out.u8(byte);
}

Date_t takeDate(Reader_t& in) {
    Date_t date;
    for (uint8_t& byte : date.bytes)
        byte = in.u8();
    return date;
}

namespace {

// A text sent with its zero: the length counts the zero, 0 means none.
uint8_t lengthWithZero(const std::string& text) {
    return text.empty() ? 0 : static_cast<uint8_t>(text.size() + 1);
}

} // namespace

std::string encodeUserInfo(const UserInfo_t& info) {
    Writer_t out;
    out.u32(info.userId).u32(info.viewerId).u32(info.lastSyncPc);
    putDate(out, info.successfulSync);
    putDate(out, info.lastSync);
    out.u8(lengthWithZero(info.name)).u8(static_cast<uint8_t>(info.password.size()));
    if (!info.name.empty())
        out.text(info.name);
    out.bytes(info.password);
    return out.take();
}

UserInfo_t decodeUserInfo(const std::string& bytes) {
    Reader_t in(bytes, "the user info");
    UserInfo_t info;
    info.userId = in.u32();
    info.viewerId = in.u32();
    info.lastSyncPc = in.u32();
    info.successfulSync = takeDate(in);
    info.lastSync = takeDate(in);
    const uint8_t nameLength = in.u8();
    const uint8_t passwordLength = in.u8();
    info.name = in.text(nameLength);
    info.password = std::string(in.bytes(passwordLength));
    return info;
}

std::string encodeSysInfo(const SysInfo_t& info) {
    Writer_t out;
    out.u32(info.romVersion).u32(info.locale).u8(0).u8(static_cast<uint8_t>(info.productId.size()));
    out.bytes(info.productId);
    return out.take();
}

std::string encodeSysVersions(const SysInfo_t& info) {
    Writer_t out;
    out.u16(info.dlpMajor)
        .u16(info.dlpMinor)
        .u16(info.compatMajor)
        .u16(info.compatMinor)
        .u32(info.largestRecord);
    return out.take();
}

SysInfo_t decodeSysInfo(const std::string& first, const std::string* versions) {
    Reader_t in(first, "the system info");
    SysInfo_t info;
    info.romVersion = in.u32();
    info.locale = in.u32();
    in.u8();
    info.productId = std::string(in.bytes(in.u8()));
    if (versions) {
        Reader_t more(*versions, "the system versions");
        info.hasVersions = true;
        info.dlpMajor = more.u16();
        info.dlpMinor = more.u16();
        info.compatMajor = more.u16();
        info.compatMinor = more.u16();
        info.largestRecord = more.u32();
    }
    return info;
}

namespace {
constexpr std::size_t kDbInfoFixed = 44; // size byte to index, before the name
}

std::string encodeDbList(const DbList_t& list) {
    Writer_t out;
    out.u16(list.lastIndex).u8(list.more ? 0x80 : 0).u8(static_cast<uint8_t>(list.databases.size()));
    for (const DbInfo_t& db : list.databases) {
        std::size_t size = kDbInfoFixed + db.name.size() + 1;
        size += size % 2;
        out.u8(static_cast<uint8_t>(size)).u8(db.miscFlags).u16(db.attributes);
        std::string type = db.type, creator = db.creator;
        type.resize(4, '\0');
        creator.resize(4, '\0');
        out.bytes(type).bytes(creator).u16(db.version).u32(db.modificationNumber);
        putDate(out, db.created);
        putDate(out, db.modified);
        putDate(out, db.backedUp);
        out.u16(db.index).text(db.name);
        if ((kDbInfoFixed + db.name.size() + 1) % 2)
            out.u8(0);
    }
    return out.take();
}

DbList_t decodeDbList(const std::string& bytes) {
    Reader_t in(bytes, "the database list");
    DbList_t list;
    list.lastIndex = in.u16();
    list.more = (in.u8() & 0x80) != 0;
    const uint8_t count = in.u8();
    for (uint8_t i = 0; i < count; ++i) {
        const uint8_t size = in.u8();
        if (size < kDbInfoFixed)
            throw ProtocolError_t("a database info of " + std::to_string(size) + " bytes");
        Reader_t entry(in.bytes(size - 1u), "a database info");
        DbInfo_t db;
        db.miscFlags = entry.u8();
        db.attributes = entry.u16();
        db.type = std::string(entry.bytes(4));
        db.creator = std::string(entry.bytes(4));
        db.version = entry.u16();
        db.modificationNumber = entry.u32();
        db.created = takeDate(entry);
        db.modified = takeDate(entry);
        db.backedUp = takeDate(entry);
        db.index = entry.u16();
        db.name = entry.text(entry.remaining());
        list.databases.push_back(std::move(db));
    }
    return list;
}

std::string encodeRecord(const Record_t& record) {
    Writer_t out;
    out.u32(record.id).u16(record.index).u16(record.size).u8(record.attributes).u8(record.category);
    out.bytes(record.data);
    return out.take();
}

Record_t decodeRecord(const std::string& bytes) {
    Reader_t in(bytes, "a record");
    Record_t record;
    record.id = in.u32();
    record.index = in.u16();
    record.size = in.u16();
    record.attributes = in.u8();
    record.category = in.u8();
    record.data = std::string(in.bytes(in.remaining()));
    return record;
}

} // namespace dlp
