#include "nav/NAV_Serialise.h"

#include "bin/BIN_endian.h"
#include "glo/GLO_Exception.h"

#include <cmath>

namespace nav {

void writeOptional(bin::basic_ostream& out, const glo::Optional_t<double>& value) {
    out << value.present() << (value.present() ? value.get() : 0.0);
}

int32_t storedSeconds(const glo::Optional_t<glo::Time_t>& value) {
    return (value.present() ? value.get() : glo::Time_t::now()).seconds();
}

void writeOptional(bin::basic_ostream& out, const glo::Optional_t<glo::Time_t>& value) {
    out << value.present() << storedSeconds(value);
}

void writePosition(bin::basic_ostream& out, const geo::Position_t& position) {
    out << position.latitude() << position.longitude();
    writeOptional(out, position.altitude());
}

void writeBox(bin::basic_ostream& out, const geo::Box_t& box) {
    out << box.empty();
    if (box.empty())
        return;
    writePosition(out, box.northEast());
    writePosition(out, box.southWest());
}

void writePositions(bin::basic_ostream& out, const std::vector<geo::Position_t>& positions) {
    out << static_cast<uint32_t>(positions.size());
    for (const geo::Position_t& position : positions)
        writePosition(out, position);
}

int32_t roundedToInt32(double value) {
    const double rounded = value >= 0 ? std::floor(value + 0.5) : std::ceil(value - 0.5);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw glo::OutOfRange_t("NAV_Serialise.cpp", 52);
    return static_cast<int32_t>(rounded);
}

namespace {

bool readPresence(bin::basic_istream& in, bool& present) {
    uint8_t flag = 0;
    if (!in.readU8(flag))
        return false;
    if (flag > 1) {
        in.setstate(std::ios_base::failbit);
        return false;
    }
    present = flag == 1;
    return true;
}

} // namespace

void readOptional(bin::basic_istream& in, glo::Optional_t<double>& value) {
    bool present = false;
    double number = 0.0;
    if (!readPresence(in, present) || !in.readDouble(number))
        return;
    value = present ? glo::Optional_t<double>(number) : glo::Optional_t<double>();
}

void readOptional(bin::basic_istream& in, glo::Optional_t<glo::Time_t>& value) {
    bool present = false;
    int32_t seconds = 0;
    if (!readPresence(in, present) || !in.readI32(seconds))
        return;
    if (present && seconds < 0) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    value = present ? glo::Optional_t<glo::Time_t>(glo::Time_t(seconds)) : glo::Optional_t<glo::Time_t>();
}

void readPosition(bin::basic_istream& in, geo::Position_t& position) {
    int32_t latitude = 0;
    int32_t longitude = 0;
    glo::Optional_t<double> altitude;
    if (!in.readI32(latitude).readI32(longitude))
        return;
    readOptional(in, altitude);
    if (!in.good())
        return;
    if (!geo::Position_t::validLatitude(latitude)) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    position = geo::Position_t(latitude, longitude, altitude);
}

void readBox(bin::basic_istream& in, geo::Box_t& box) {
    uint8_t empty = 0;
    if (!in.readU8(empty))
        return;
    if (empty != 0) {
        box = geo::Box_t();
        return;
    }
    geo::Position_t northEast;
    geo::Position_t southWest;
    readPosition(in, northEast);
    readPosition(in, southWest);
    if (!in.good())
        return;
    box = geo::Box_t(northEast.latitude(), southWest.latitude(), northEast.longitude(), southWest.longitude(),
                     northEast.altitude(), southWest.altitude());
}

void readPositions(bin::basic_istream& in, std::vector<geo::Position_t>& positions) {
    uint32_t count = 0;
    if (!in.readU32(count))
        return;
    std::vector<geo::Position_t> read;
    // The count is untrusted: grow as positions actually arrive.
    for (uint32_t i = 0; i < count && in.good(); ++i) {
        geo::Position_t position;
        readPosition(in, position);
        if (in.good())
            read.push_back(position);
    }
    if (in.good())
        positions = std::move(read);
}

namespace {

unsigned char* putOptional(unsigned char* out, const glo::Optional_t<double>& value) {
    out[0] = value.present() ? 1 : 0;
    bin::storeDouble(out + 1, value.present() ? value.get() : 0.0);
    return out + 9;
}

// An optional double at `in`; false for a presence byte other than 0 or 1.
bool takeOptional(const unsigned char* in, glo::Optional_t<double>& value) {
    if (in[0] > 1)
        return false;
    value = in[0] ? glo::Optional_t<double>(bin::loadDouble(in + 1)) : glo::Optional_t<double>();
    return true;
}

} // namespace

void encodeTrackPoint(unsigned char* out, const TrackPoint_t& point) {
    bin::storeU32(out, static_cast<uint32_t>(point.position.latitude()));
    bin::storeU32(out + 4, static_cast<uint32_t>(point.position.longitude()));
    out = putOptional(out + 8, point.position.altitude());
    out[0] = point.time.present() ? 1 : 0;
    bin::storeU32(out + 1, static_cast<uint32_t>(storedSeconds(point.time)));
    putOptional(out + 5, point.auxiliary);
}

bool decodeTrackPoint(const unsigned char* in, TrackPoint_t& point) {
    const int32_t latitude = bin::loadI32(in);
    const int32_t longitude = bin::loadI32(in + 4);
    glo::Optional_t<double> altitude;
    glo::Optional_t<double> auxiliary;
    const unsigned char timeFlag = in[17];
    const int32_t seconds = bin::loadI32(in + 18);
    if (!geo::Position_t::validLatitude(latitude) || !takeOptional(in + 8, altitude) || timeFlag > 1 ||
        (timeFlag == 1 && seconds < 0) || !takeOptional(in + 22, auxiliary))
        return false;
    point.position = geo::Position_t(latitude, longitude, altitude);
    point.time =
        timeFlag ? glo::Optional_t<glo::Time_t>(glo::Time_t(seconds)) : glo::Optional_t<glo::Time_t>();
    point.auxiliary = auxiliary;
    return true;
}

void writeTrackPoints(bin::basic_ostream& out, std::span<const TrackPoint_t> points) {
    unsigned char block[kTrackPointSize * 256];
    std::size_t at = 0;
    while (at < points.size()) {
        if constexpr (kPointsHeldAsWritten) {
            // A run of timed points is already in its written form.
            std::size_t run = at;
            while (run < points.size() && points[run].time.present())
                ++run;
            if (run > at) {
                out.write(points.data() + at, (run - at) * kTrackPointSize);
                at = run;
                continue;
            }
        }
        std::size_t used = 0;
        do {
            encodeTrackPoint(block + used, points[at]);
            used += kTrackPointSize;
            ++at;
        } while (at < points.size() && used < sizeof block &&
                 !(kPointsHeldAsWritten && points[at].time.present()));
        out.write(block, used);
    }
}

} // namespace nav
