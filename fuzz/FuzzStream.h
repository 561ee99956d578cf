#ifndef FUZZ_FUZZSTREAM_H
#define FUZZ_FUZZSTREAM_H

// The peer's side of a link as the fuzzer's input: reads take the input's bytes in order, writes
// go nowhere, and once the input is used up every read fails at once, as a peer that hung up, so
// that no wait of the link ever runs out its time.
#include "FuzzInput.h"

#include "dlp/DLP_ByteStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace fuzzing {

class FuzzStream_t : public dlp::ByteStream_t {
public:
    // Each read gives at most `piece` bytes (0: as many as the reader takes), so that frames
    // split across reads are tried too.
    explicit FuzzStream_t(std::string_view input, std::size_t piece = 0) : m_input(input), m_piece(piece) {}

    void write(std::string_view bytes, dlp::Timeout_t) override { m_written += bytes.size(); }
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t) override {
        if (m_at == m_input.size())
            throw dlp::LinkError_t("the peer hung up");
        std::size_t count = std::min(capacity, m_input.size() - m_at);
        if (m_piece)
            count = std::min(count, m_piece);
        std::memcpy(data, m_input.data() + m_at, count);
        m_at += count;
        return count;
    }
    std::string describe() const override { return "the fuzzer's input"; }

    uint64_t written() const { return m_written; }

private:
    std::string_view m_input;
    std::size_t m_piece;
    std::size_t m_at = 0;
    uint64_t m_written = 0;
};

} // namespace fuzzing

#endif
