#include "map/MAP_ScrnRect.h"

#include "glo/GLO_Exception.h"

namespace map {

ScrnRect_t::ScrnRect_t(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : m_left(left), m_top(top), m_right(right), m_bottom(bottom) {
    glo::check(left <= right, "MAP_ScrnRect.cpp", 84);
    glo::check(top <= bottom, "MAP_ScrnRect.cpp", 85);
}

} // namespace map
