#include "dlp/DLP_ByteStream.h"

namespace dlp {

void readExactly(ByteStream_t& stream, char* data, std::size_t count, Timeout_t timeout) {
    while (count > 0) {
        const std::size_t got = stream.readSome(data, count, timeout);
        data += got;
        count -= got;
    }
}

} // namespace dlp
