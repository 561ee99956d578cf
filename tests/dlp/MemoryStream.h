#ifndef TESTS_DLP_MEMORYSTREAM_H
#define TESTS_DLP_MEMORYSTREAM_H

// A link in memory for tests: reads take what the peer queued, writes are kept, and a peer may
// answer each write at once. Silence lasts the reader's whole timeout, as on a real line.
#include "dlp/DLP_ByteStream.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_link {

class MemoryStream : public dlp::ByteStream_t {
public:
    // Each read gives at most one queued piece (or the rest of one).
    std::deque<std::string> incoming;
    std::vector<std::string> written;
    std::function<void(MemoryStream&, const std::string&)> onWrite;
    bool hungUp = false; // once the queue is empty, reads fail at once

    void write(std::string_view bytes, dlp::Timeout_t) override {
        written.emplace_back(bytes);
        if (onWrite)
            onWrite(*this, written.back());
    }
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
        if (incoming.empty()) {
            if (hungUp)
                throw dlp::LinkError_t("hung up");
            std::this_thread::sleep_for(timeout);
            throw dlp::LinkError_t("silence");
        }
        std::string& front = incoming.front();
        const std::size_t count = std::min(capacity, front.size());
        std::memcpy(data, front.data(), count);
        front.erase(0, count);
        if (front.empty())
            incoming.pop_front();
        return count;
    }
    std::string describe() const override { return "memory"; }
};

} // namespace testing_link

#endif
