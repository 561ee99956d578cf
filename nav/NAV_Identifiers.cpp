#include "nav/NAV_Identifiers.h"

#include <utility>

namespace nav {

namespace {
constexpr uint32_t kLastWaypointCode = 12;
} // namespace

void RouteId_t::write(bin::basic_ostream& out) const {
    m_name.write(out);
    out << m_tag;
}

void RouteId_t::read(bin::basic_istream& in) {
    if (in.fail())
        return;
    RouteId_t fresh;
    fresh.m_name.read(in);
    fresh.m_tag = 0;
    in.readU8(fresh.m_tag);
    if (in.good())
        *this = fresh;
}

void WaypointId_t::write(bin::basic_ostream& out) const {
    name.write(out);
    out << code << label << valueA << valueB;
    out.write(byteBlock.data(), byteBlock.size());
    out << shortValue << valueC;
}

void WaypointId_t::read(bin::basic_istream& in) {
    if (in.fail())
        return;
    WaypointId_t fresh;
    fresh.name.read(in);
    in.readU32(fresh.code);
    in >> fresh.label;
    in.readU32(fresh.valueA);
    in.readU32(fresh.valueB);
    in.read(fresh.byteBlock.data(), fresh.byteBlock.size());
    const uint16_t version = in.formatVersion();
    if (version <= 100) {
        uint8_t shortByte = 0;
        in.readU8(shortByte);
        fresh.shortValue = shortByte;
    } else {
        in.readU16(fresh.shortValue);
    }
    if (version > 102)
        in.readU32(fresh.valueC);
    // Files of version 102 stored valueB and valueC the other way round for these blocks; the
    // block that tells is the one just read.
    if (version == 102 && (fresh.byteBlock[0] == 33 || fresh.byteBlock[0] == 31))
        std::swap(fresh.valueB, fresh.valueC);
    if (!in.good())
        return;
    if (fresh.code > kLastWaypointCode) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    *this = fresh;
}

} // namespace nav
