#include "nav/NAV_Route.h"

#include "nav/NAV_Serialise.h"

namespace nav {

void RouteWaypoint_t::write(bin::basic_ostream& out) const {
    waypoint.write(out);
    out << link.label << link.valueA << link.valueB << link.valueC << link.shortValue << link.valueD;
    writePositions(out, link.path);
    writeBox(out, link.box);
}

void RouteWaypoint_t::read(bin::basic_istream& in) {
    if (in.fail())
        return;
    RouteWaypoint_t fresh;
    fresh.waypoint.read(in);
    if (!in.good())
        return;
    RouteLink_t& link = fresh.link;
    in >> link.label;
    in.readU32(link.valueA).readU32(link.valueB).readU32(link.valueC);
    if (in.formatVersion() > 100) {
        in.readU16(link.shortValue);
    } else {
        uint8_t shortByte = 0;
        in.readU8(shortByte);
        link.shortValue = shortByte;
    }
    in.readU32(link.valueD);
    if (!in.good())
        return;
    if (link.valueA > 3 || link.valueD > 2) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    readPositions(in, link.path);
    readBox(in, link.box);
    if (in.good())
        *this = fresh;
}

} // namespace nav
