#include "bin/file/BIN_DatabaseReader.h"

#include "bin/BIN_endian.h"
#include "bin/file/BIN_FileHeader.h"
#include "nav/NAV_Serialise.h"

#include <cstring>
#include <fstream>

namespace bin {

namespace {

constexpr const char* kSource = "BIN_DatabaseReader.cpp";
constexpr std::size_t kFrameSize = 5;
constexpr std::size_t kPointSize = 31;

// Parses one record's payload; every failure names the offset of the record.
class PayloadParser {
public:
    PayloadParser(const std::string& payload, uint64_t offset, uint16_t version)
        : m_in(payload), m_size(payload.size()), m_offset(offset) {
        m_in.setFormatVersion(version);
    }

    basic_stringstream& in() { return m_in; }

    [[noreturn]] void fail(int line, const std::string& what) const {
        throw FileFormatError_t(kSource, line, m_offset, what);
    }

    // The payload must have parsed cleanly and to its last byte.
    void finish(char type) {
        if (m_in.fail())
            fail(60, std::string("record '") + type + "' holds a value out of range or is cut short");
        const std::size_t used = m_in.bytesRead();
        if (used != m_size)
            fail(63, std::string("record '") + type + "' has " + std::to_string(m_size - used) +
                         " bytes too many");
    }

    std::size_t remaining() { return m_size - m_in.bytesRead(); }

private:
    basic_stringstream m_in;
    std::size_t m_size;
    uint64_t m_offset;
};

void readWaypoint(basic_istream& in, nav::Waypoint_t& waypoint) {
    int32_t realA = 0;
    nav::readPosition(in, waypoint.position);
    in >> waypoint.textA;
    nav::readOptional(in, waypoint.optionalA);
    in.readU32(waypoint.wordA).readU32(waypoint.wordB).readU32(waypoint.wordC);
    in >> waypoint.textB >> waypoint.textC >> waypoint.textD;
    in.readU8(waypoint.byteA);
    nav::readOptional(in, waypoint.optionalB);
    in >> waypoint.textE >> waypoint.textF;
    in.readI32(realA);
    in >> waypoint.textG;
    waypoint.realA = realA;
}

void readTrack(PayloadParser& parser, nav::Track_t& track) {
    basic_istream& in = parser.in();
    uint8_t shown = 0;
    uint32_t color = 0;
    uint32_t count = 0;
    in.readU8(shown).readU32(color).readU32(count);
    if (in.fail())
        parser.fail(102, "track record is cut short");
    if (shown > 1)
        parser.fail(104, "track display flag " + std::to_string(shown) + " is not 0 or 1");
    if (color > nav::Color16)
        parser.fail(106, "track colour " + std::to_string(color) + " is not 0 to 16");
    // The count is untrusted: it must match the bytes that follow exactly.
    if (uint64_t{count} * kPointSize != parser.remaining())
        parser.fail(109, "track point count " + std::to_string(count) + " does not match its " +
                             std::to_string(parser.remaining()) + " bytes of points");
    track.setDisplayFlag(shown == 1);
    track.setColor(static_cast<nav::Color_t>(color));
    for (uint32_t i = 0; i < count; ++i) {
        int32_t latitude = 0;
        int32_t longitude = 0;
        glo::Optional_t<double> altitude;
        nav::TrackPoint_t point;
        in.readI32(latitude).readI32(longitude);
        nav::readOptional(in, altitude);
        nav::readOptional(in, point.time);
        nav::readOptional(in, point.auxiliary);
        if (in.fail() || !geo::Position_t::validLatitude(latitude))
            parser.fail(121, "track point " + std::to_string(i) + " is out of range");
        point.position = geo::Position_t(latitude, longitude, altitude);
        track.appendPoint(point);
    }
}

void readRoute(basic_istream& in, nav::Route_t& route) {
    nav::readBox(in, route.box);
    uint32_t count = 0;
    in.readU32(count);
    for (uint32_t i = 0; i < count && in.good(); ++i) {
        nav::RouteWaypoint_t stop;
        stop.read(in);
        if (in.good())
            route.routePoints.push_back(stop);
    }
}

void readLEntry(basic_istream& in, nav::LEntry_t& entry) {
    in.readU32(entry.number1).readU32(entry.number2);
    in >> entry.text1 >> entry.text2 >> entry.text3;
    for (uint32_t number = 0; in.readU32(number) && number != 0;)
        entry.numbers.push_back(number);
}

template <class Table, class Id, class Object>
void insertUnique(PayloadParser& parser, Table& table, const Id& id, Object&& object) {
    if (!table.emplace(id, std::forward<Object>(object)).second)
        parser.fail(150, id.text() + " appears twice");
}

void readDatabaseRecord(char type, PayloadParser& parser, nav::Database_t& database, FileInfo_t& info) {
    basic_stringstream& in = parser.in();
    switch (type) {
    case 'W': {
        nav::WaypointId_t id;
        nav::Waypoint_t waypoint;
        id.read(in);
        readWaypoint(in, waypoint);
        parser.finish(type);
        insertUnique(parser, database.waypoints(), id, std::move(waypoint));
        break;
    }
    case 'R': {
        nav::RouteId_t id;
        nav::Route_t route;
        id.read(in);
        readRoute(in, route);
        parser.finish(type);
        insertUnique(parser, database.routes(), id, std::move(route));
        break;
    }
    case 'T': {
        nav::Name_t name;
        nav::Track_t track;
        name.read(in);
        if (in.fail())
            parser.fail(180, "track name is cut short");
        readTrack(parser, track);
        parser.finish(type);
        const nav::TrackId_t id(name);
        if (database.tracks().count(id))
            parser.fail(185, id.text() + " appears twice");
        database.insertTrack(id, std::move(track));
        break;
    }
    case '0': {
        nav::RouteId_t id;
        uint8_t flag = 0;
        id.read(in);
        in.readU8(flag);
        parser.finish(type);
        database.routeFlagList().emplace_back(id, flag);
        break;
    }
    case 'L': {
        nav::LEntry_t entry;
        readLEntry(in, entry);
        parser.finish(type);
        database.recordSet().insert(std::move(entry));
        break;
    }
    case 'V': {
        std::string text;
        uint8_t flag = 0;
        in >> text;
        in.readU8(flag);
        parser.finish(type);
        database.nameFlagList().emplace_back(std::move(text), flag);
        break;
    }
    default:
        ++info.unknownRecords; // the framing lets a reader step over what it does not know
        break;
    }
}

} // namespace

FileInfo_t readDatabase(std::istream& in, nav::Database_t& database) {
    FileInfo_t info;
    char signature[sizeof FileHeader_t::kSignature] = {};
    if (!in.read(signature, sizeof signature) ||
        std::memcmp(signature, FileHeader_t::kSignature, sizeof signature))
        throw FileFormatError_t(kSource, 230, 0, "not a record file (no QvRcd signature)");

    // A fresh database starts with one name-flag entry; the file says what the list holds.
    database.nameFlagList().clear();
    uint64_t offset = sizeof signature;
    std::string payload;
    for (;;) {
        unsigned char frame[kFrameSize];
        in.read(reinterpret_cast<char*>(frame), kFrameSize);
        if (in.gcount() == 0)
            break;
        if (in.gcount() != static_cast<std::streamsize>(kFrameSize))
            throw FileFormatError_t(kSource, 242, offset, "record header is cut short");
        const uint32_t length = loadU32(frame);
        const char type = static_cast<char>(frame[4]);
        // Grow the payload as bytes arrive, so that a lying length cannot allocate 4 GB.
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

        PayloadParser parser(payload, offset, info.formatVersion);
        if (info.records == 0) {
            if (type != 'D')
                parser.fail(262, "the first record is not the format record 'D'");
            parser.in().readU16(info.formatVersion);
            parser.finish(type);
            if (info.formatVersion > kNewestReadableVersion)
                parser.fail(266,
                            "format version " + std::to_string(info.formatVersion) + " is newer than 105");
        } else if (info.records == 1) {
            if (type != 'A')
                parser.fail(269, "the second record is not the writer record 'A'");
            parser.in().readU16(info.writerVersion);
            parser.in() >> info.buildLabel >> info.buildDate >> info.buildTime;
            parser.finish(type);
        } else {
            readDatabaseRecord(type, parser, database, info);
        }
        ++info.records;
        offset += kFrameSize + length;
    }
    if (info.records < 2)
        throw FileFormatError_t(kSource, 280, offset, "the file ends before its format and writer records");
    database.endTransaction();
    return info;
}

FileInfo_t readDatabaseFile(const std::string& path, nav::Database_t& database) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileFormatError_t(kSource, 289, 0, "cannot open " + path);
    return readDatabase(in, database);
}

} // namespace bin
