#ifndef MAP_MAP_SCRNRECT_H
#define MAP_MAP_SCRNRECT_H

#include <cstdint>

namespace map {

// A rectangle on the screen, in device units; left <= right and top <= bottom.
class ScrnRect_t {
public:
    // @exception glo::Assert_t (line 84) when left > right, (line 85) when top > bottom.
    ScrnRect_t(int32_t left, int32_t top, int32_t right, int32_t bottom);

    double left() const { return m_left; }
    double top() const { return m_top; }
    double right() const { return m_right; }
    double bottom() const { return m_bottom; }

private:
    [[maybe_unused]] uint8_t m_flag = 0;
    double m_left, m_top, m_right, m_bottom;
};

} // namespace map

#endif
