#include "rec/REC_Records.h"

#include "nav/NAV_Serialise.h"

namespace rec {

namespace {
constexpr const char* kSource = "REC_Records.cpp";
} // namespace

void writeWaypoint(bin::basic_ostream& out, const nav::WaypointId_t& id, const nav::Waypoint_t& waypoint) {
    const int32_t realA = nav::roundedToInt32(waypoint.realA);
    id.write(out);
    nav::writePosition(out, waypoint.position);
    out << waypoint.textA;
    nav::writeOptional(out, waypoint.optionalA);
    out << waypoint.wordA << waypoint.wordB << waypoint.wordC << waypoint.textB << waypoint.textC
        << waypoint.textD << waypoint.byteA;
    nav::writeOptional(out, waypoint.optionalB);
    out << waypoint.textE << waypoint.textF << realA << waypoint.textG;
}

void readWaypoint(Payload_t& payload, nav::WaypointId_t& id, nav::Waypoint_t& waypoint) {
    bin::basic_istream& in = payload.in();
    int32_t realA = 0;
    id.read(in);
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

void writeRoute(bin::basic_ostream& out, const nav::RouteId_t& id, const nav::Route_t& route) {
    id.write(out);
    nav::writeBox(out, route.box);
    out << static_cast<uint32_t>(route.routePoints.size());
    for (const nav::RouteWaypoint_t& stop : route.routePoints)
        stop.write(out);
}

void readRoute(Payload_t& payload, nav::RouteId_t& id, nav::Route_t& route) {
    bin::basic_istream& in = payload.in();
    id.read(in);
    nav::readBox(in, route.box);
    uint32_t count = 0;
    in.readU32(count);
    // The count is untrusted: stops are kept as they actually arrive.
    for (uint32_t i = 0; i < count && in.good(); ++i) {
        nav::RouteWaypoint_t stop;
        stop.read(in);
        if (in.good())
            route.routePoints.push_back(stop);
    }
}

void writeTrackHead(bin::basic_ostream& out, const nav::TrackId_t& id, const nav::Track_t& track) {
    id.name().write(out);
    out << track.displayFlag() << static_cast<uint32_t>(track.color())
        << static_cast<uint32_t>(track.summary().pointCount);
}

void writeTrack(bin::basic_ostream& out, const nav::TrackId_t& id, const nav::Track_t& track) {
    writeTrackHead(out, id, track);
    nav::writeTrackPoints(out, track.points());
}

TrackHeader_t readTrackHeader(Payload_t& payload, nav::Name_t& name) {
    bin::basic_istream& in = payload.in();
    name.read(in);
    if (in.fail())
        payload.fail(kSource, 180, "track name is cut short");
    TrackHeader_t header;
    in.readU8(header.shown).readU32(header.color).readU32(header.count);
    if (in.fail())
        payload.fail(kSource, 102, "track record is cut short");
    return header;
}

void readTrack(Payload_t& payload, nav::Name_t& name, nav::Track_t& track) {
    const auto [shown, color, count] = readTrackHeader(payload, name);
    if (shown > 1)
        payload.fail(kSource, 104, "track display flag " + std::to_string(shown) + " is not 0 or 1");
    if (color > nav::Color16)
        payload.fail(kSource, 106, "track colour " + std::to_string(color) + " is not 0 to 16");
    // The count is untrusted: it must match the bytes that follow exactly.
    if (uint64_t{count} * nav::kTrackPointSize != payload.remaining())
        payload.fail(kSource, 109,
                     "track point count " + std::to_string(count) + " does not match its " +
                         std::to_string(payload.remaining()) + " bytes of points");
    track.setDisplayFlag(shown == 1);
    track.setColor(static_cast<nav::Color_t>(color));
    // The count matched the bytes that hold the points: it sizes the track's array.
    track.reservePoints(count);
    const unsigned char* bytes = payload.rest();
    for (uint32_t i = 0; i < count; ++i) {
        nav::TrackPoint_t point;
        if (!nav::decodeTrackPoint(bytes + std::size_t{i} * nav::kTrackPointSize, point))
            payload.fail(kSource, 121, "track point " + std::to_string(i) + " is out of range");
        track.appendPoint(point);
    }
    payload.skip(std::size_t{count} * nav::kTrackPointSize);
}

void writeRouteFlag(bin::basic_ostream& out, const nav::RouteId_t& id, uint8_t flag) {
    id.write(out);
    out << flag;
}

void readRouteFlag(Payload_t& payload, nav::RouteId_t& id, uint8_t& flag) {
    id.read(payload.in());
    payload.in().readU8(flag);
}

void writeLEntry(bin::basic_ostream& out, const nav::LEntry_t& entry) {
    out << entry.number1 << entry.number2 << entry.text1 << entry.text2 << entry.text3;
    for (uint32_t number : entry.numbers)
        out << number;
    out << uint32_t{0};
}

void readLEntry(Payload_t& payload, nav::LEntry_t& entry) {
    bin::basic_istream& in = payload.in();
    in.readU32(entry.number1).readU32(entry.number2);
    in >> entry.text1 >> entry.text2 >> entry.text3;
    for (uint32_t number = 0; in.readU32(number) && number != 0;)
        entry.numbers.push_back(number);
}

void writeNameFlag(bin::basic_ostream& out, const std::string& text, uint8_t flag) {
    out << text << flag;
}

void readNameFlag(Payload_t& payload, std::string& text, uint8_t& flag) {
    payload.in() >> text;
    payload.in().readU8(flag);
}

} // namespace rec
