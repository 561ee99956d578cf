#include "dlp/DLP_PrefixStream.h"

#include <algorithm>
#include <cstring>

namespace dlp {

std::size_t PrefixStream_t::readSome(char* data, std::size_t capacity, Timeout_t timeout) {
    if (m_given < m_prefix.size() && capacity > 0) {
        const std::size_t count = std::min(capacity, m_prefix.size() - m_given);
        std::memcpy(data, m_prefix.data() + m_given, count);
        m_given += count;
        if (m_given == m_prefix.size()) {
            m_prefix.clear();
            m_given = 0;
        }
        return count;
    }
    return m_inner.readSome(data, capacity, timeout);
}

} // namespace dlp
