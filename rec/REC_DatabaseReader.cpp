#include "rec/REC_DatabaseReader.h"

#include "bin/BIN_endian.h"
#include "rec/REC_Records.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace rec {

namespace {

constexpr const char* kSource = "REC_DatabaseReader.cpp";
constexpr std::size_t kFrameSize = 5;

template <class Table, class Id, class Object>
void insertUnique(const Payload_t& payload, Table& table, const Id& id, Object&& object) {
    if (!table.emplace(id, std::forward<Object>(object)).second)
        payload.fail(kSource, 150, id.text() + " appears twice");
}

// A record of a keyed table: its payload read whole, then inserted under its identifier.
template <class Id, class Object, class Table>
void readKeyed(Payload_t& payload, RecordType type, void (*read)(Payload_t&, Id&, Object&), Table& table) {
    Id id;
    Object object;
    read(payload, id, object);
    payload.finish(type);
    insertUnique(payload, table, id, std::move(object));
}

void readDatabaseRecord(char type, Payload_t& payload, nav::Database_t& database, FileInfo_t& info) {
    switch (static_cast<RecordType>(type)) {
    case RecordType::Waypoint:
        readKeyed(payload, RecordType::Waypoint, &readWaypoint, database.waypoints());
        break;
    case RecordType::Route:
        readKeyed(payload, RecordType::Route, &readRoute, database.routes());
        break;
    case RecordType::Track: {
        nav::Name_t name;
        nav::Track_t track;
        readTrack(payload, name, track);
        payload.finish(RecordType::Track);
        const nav::TrackId_t id(name);
        if (database.tracks().count(id))
            payload.fail(kSource, 185, id.text() + " appears twice");
        database.insertTrack(id, std::move(track));
        break;
    }
    case RecordType::RouteFlag: {
        nav::RouteId_t id;
        uint8_t flag = 0;
        readRouteFlag(payload, id, flag);
        payload.finish(RecordType::RouteFlag);
        database.routeFlagList().emplace_back(id, flag);
        break;
    }
    case RecordType::LEntry: {
        nav::LEntry_t entry;
        readLEntry(payload, entry);
        payload.finish(RecordType::LEntry);
        database.recordSet().insert(std::move(entry));
        break;
    }
    case RecordType::NameFlag: {
        std::string text;
        uint8_t flag = 0;
        readNameFlag(payload, text, flag);
        payload.finish(RecordType::NameFlag);
        database.nameFlagList().emplace_back(std::move(text), flag);
        break;
    }
    default:
        ++info.unknownRecords; // the framing lets a reader step over what it does not know
        break;
    }
}

// Reads one framed record's payload, growing it as bytes arrive so that a lying length cannot
// allocate 4 GB. Returns false at the end of the file.
bool readFrame(std::istream& in, uint64_t offset, char& type, std::string& payload) {
    unsigned char frame[kFrameSize];
    in.read(reinterpret_cast<char*>(frame), kFrameSize);
    if (in.gcount() == 0)
        return false;
    if (in.gcount() != static_cast<std::streamsize>(kFrameSize))
        throw FileFormatError_t(kSource, 242, offset, "record header is cut short");
    const uint32_t length = bin::loadU32(frame);
    type = static_cast<char>(frame[4]);
    payload.clear();
    constexpr std::size_t kChunk = 1 << 20;
    while (payload.size() < length) {
        const std::size_t want = std::min<std::size_t>(kChunk, length - payload.size());
        const std::size_t had = payload.size();
        payload.resize(had + want);
        in.read(payload.data() + had, static_cast<std::streamsize>(want));
        if (in.gcount() != static_cast<std::streamsize>(want))
            throw FileFormatError_t(kSource, 255, offset,
                                    std::string("record '") + type + "' of " + std::to_string(length) +
                                        " bytes is cut short");
    }
    return true;
}

// Reads the signature before the first record.
void readSignature(std::istream& in) {
    char signature[sizeof kSignature] = {};
    if (!in.read(signature, sizeof signature) || std::memcmp(signature, kSignature, sizeof signature))
        throw FileFormatError_t(kSource, 230, 0, "not a record file (no QvRcd signature)");
}

std::ifstream openFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileFormatError_t(kSource, 289, 0, "cannot open " + path);
    return in;
}

} // namespace

FileInfo_t readDatabase(std::istream& in, nav::Database_t& database) {
    FileInfo_t info;
    readSignature(in);

    // A fresh database starts with one name-flag entry; the file says what the list holds.
    database.nameFlagList().clear();
    uint64_t offset = sizeof kSignature;
    std::string bytes;
    char type = 0;
    while (readFrame(in, offset, type, bytes)) {
        Payload_t payload(bytes, offset, info.formatVersion);
        if (info.records == 0) {
            if (type != typeByte(RecordType::Format))
                payload.fail(kSource, 262, "the first record is not the format record 'D'");
            readFormatRecord(payload, info);
        } else if (info.records == 1) {
            if (type != typeByte(RecordType::Writer))
                payload.fail(kSource, 269, "the second record is not the writer record 'A'");
            readWriterRecord(payload, info);
        } else {
            readDatabaseRecord(type, payload, database, info);
        }
        ++info.records;
        offset += kFrameSize + bytes.size();
    }
    if (info.records < 2)
        throw FileFormatError_t(kSource, 280, offset, "the file ends before its format and writer records");
    database.endTransaction();
    return info;
}

FileInfo_t readDatabaseFile(const std::string& path, nav::Database_t& database) {
    std::ifstream in = openFile(path);
    return readDatabase(in, database);
}

TrackCount_t countTracksInFile(const std::string& path) {
    std::ifstream in = openFile(path);
    readSignature(in);
    TrackCount_t count;
    FileInfo_t info;
    uint64_t offset = sizeof kSignature;
    std::string bytes;
    char type = 0;
    for (uint64_t records = 0; readFrame(in, offset, type, bytes); ++records) {
        Payload_t payload(bytes, offset, info.formatVersion);
        if (records == 0 && type == typeByte(RecordType::Format))
            readFormatRecord(payload, info);
        if (records >= 2 && type == typeByte(RecordType::Track)) {
            nav::Name_t name("");
            ++count.tracks;
            count.points += readTrackHeader(payload, name).count;
        }
        offset += kFrameSize + bytes.size();
    }
    return count;
}

} // namespace rec
