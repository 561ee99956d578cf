#ifndef NAV_NAV_IDENTIFIERS_H
#define NAV_NAV_IDENTIFIERS_H

#include "nav/NAV_Key.h"
#include "nav/NAV_Name.h"

#include <array>
#include <cstdint>

namespace nav {

// A track's identifier: its name. Serialises as the name alone. Identifiers move without
// throwing, so that containers of decoded tracks move them instead of copying their points.
class TrackId_t : public Key_t, public Name_t {
public:
    TrackId_t() = default;
    explicit TrackId_t(const Name_t& name) : Name_t(name) {}
    std::string text() const override { return "Track: " + str(); }
    const Name_t& name() const { return *this; }
};

// A route's identifier: a name, and a tag that travels with it but is never compared.
class RouteId_t : public Key_t {
public:
    RouteId_t() = default;
    explicit RouteId_t(const Name_t& name, uint8_t tag = 0) : m_name(name), m_tag(tag) {}
    std::string text() const override { return "Route: " + m_name.str(); }
    virtual void write(bin::basic_ostream& out) const;
    // Name and tag; nothing changes unless both were read.
    virtual void read(bin::basic_istream& in);

    const Name_t& name() const { return m_name; }
    uint8_t tag() const { return m_tag; }
    friend bool operator<(const RouteId_t& a, const RouteId_t& b) { return a.m_name < b.m_name; }

private:
    Name_t m_name;
    uint8_t m_tag = 0;
};

// A waypoint's identifier: a name, and passenger fields that are copied, written and read but
// never compared.
class WaypointId_t : public Key_t {
public:
    WaypointId_t() = default;
    explicit WaypointId_t(const Name_t& name) : name(name) {}
    std::string text() const override { return "Waypoint: " + name.str(); }
    virtual void write(bin::basic_ostream& out) const;
    // Reads the fields of the stream's format version: `shortValue` is one byte up to version 100,
    // `valueC` exists above 102. A `code` outside 0..12 sets failbit. Nothing changes on failure.
    virtual void read(bin::basic_istream& in);

    friend bool operator<(const WaypointId_t& a, const WaypointId_t& b) { return a.name < b.name; }

    Name_t name;
    uint32_t code = 0;
    std::string label;
    uint32_t valueA = 0;
    uint32_t valueB = 0xFFFFFFFF;
    std::array<uint8_t, 8> byteBlock = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint16_t shortValue = 0;
    uint32_t valueC = 0xFFFFFFFF;
};

} // namespace nav

#endif
