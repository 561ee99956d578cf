#ifndef REC_REC_RECORDS_H
#define REC_REC_RECORDS_H

#include "bin/BIN_stream.h"
#include "nav/NAV_Database.h"
#include "rec/REC_FileFormat.h"

#include <string>

namespace rec {

// The payload of each database record, written and read here as a pair. A read takes the
// payload after its record type and fails (FileFormatError_t, naming the record's offset) for
// anything the write could not have made; it does not check that the payload ends there.

void writeWaypoint(bin::basic_ostream& out, const nav::WaypointId_t& id, const nav::Waypoint_t& waypoint);
void readWaypoint(Payload_t& in, nav::WaypointId_t& id, nav::Waypoint_t& waypoint);

void writeRoute(bin::basic_ostream& out, const nav::RouteId_t& id, const nav::Route_t& route);
void readRoute(Payload_t& in, nav::RouteId_t& id, nav::Route_t& route);

// A track may hold millions of points: they go out in few large writes.
void writeTrack(bin::basic_ostream& out, const nav::TrackId_t& id, const nav::Track_t& track);
// The fields of a track's payload before its points (name, display flag, colour, point count).
void writeTrackHead(bin::basic_ostream& out, const nav::TrackId_t& id, const nav::Track_t& track);
void readTrack(Payload_t& in, nav::Name_t& name, nav::Track_t& track);
// The fields before a track's points, as readTrack reads them (and fails on them when cut short).
struct TrackHeader_t {
    uint8_t shown = 0;
    uint32_t color = 0;
    uint32_t count = 0;
};
TrackHeader_t readTrackHeader(Payload_t& in, nav::Name_t& name);

void writeRouteFlag(bin::basic_ostream& out, const nav::RouteId_t& id, uint8_t flag);
void readRouteFlag(Payload_t& in, nav::RouteId_t& id, uint8_t& flag);

void writeLEntry(bin::basic_ostream& out, const nav::LEntry_t& entry);
void readLEntry(Payload_t& in, nav::LEntry_t& entry);

void writeNameFlag(bin::basic_ostream& out, const std::string& text, uint8_t flag);
void readNameFlag(Payload_t& in, std::string& text, uint8_t& flag);

} // namespace rec

#endif
