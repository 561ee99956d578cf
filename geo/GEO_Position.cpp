#include "geo/GEO_Position.h"

namespace geo {

Position_t::Position_t(int32_t latitude, int32_t longitude, const glo::Optional_t<double>& altitude)
    : m_latitude(latitude), m_longitude(longitude), m_altitude(altitude) {
    if (!validLatitude(latitude))
        throw glo::OutOfRange_t("GEO_Position.cpp", 63);
}

void Position_t::setLatitude(int32_t latitude) {
    if (!validLatitude(latitude))
        throw glo::OutOfRange_t("GEO_Position.cpp", 130);
    m_latitude = latitude;
}

} // namespace geo
