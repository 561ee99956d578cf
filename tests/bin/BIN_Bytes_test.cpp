#include "bin/BIN_Bytes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using testsupport::Bytes;
using testsupport::bytesOf;

namespace {

using bin::ByteOrder_t;

std::string raw(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The error words of a read that raises `Error`, and that it read nothing.
template <class Error, class Reader, class Read> std::string refused(Reader& reader, Read read) {
    const uint64_t before = reader.position();
    try {
        read(reader);
    } catch (const Error& e) {
        EXPECT_EQ(reader.position(), before);
        return e.what();
    }
    ADD_FAILURE() << "the read was not refused";
    return {};
}

struct PeerError_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace

TEST(ByteWriter, NumbersInEitherOrder) {
    bin::ByteWriter_t big(ByteOrder_t::Big);
    big.u8(0x01).u16(0x0203).u24(0x040506).u32(0x0708090A).i32(-2).f32(1.5f);
    EXPECT_EQ(bytesOf(big.data()), (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0xFF,
                                          0xFF, 0xFF, 0xFE, 0x3F, 0xC0, 0x00, 0x00}));
    bin::ByteWriter_t little(ByteOrder_t::Little);
    little.u8(0x01).u16(0x0203).u24(0x040506).u32(0x0708090A).i32(-2).f32(1.5f);
    EXPECT_EQ(bytesOf(little.data()), (Bytes{0x01, 0x03, 0x02, 0x06, 0x05, 0x04, 0x0A, 0x09, 0x08, 0x07, 0xFE,
                                             0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F}));
}

TEST(ByteWriter, TextsSpansAndFixedFields) {
    bin::ByteWriter_t out(ByteOrder_t::Big);
    out.text("ab").bytes(std::string("c\0d", 3)).fixedText("TrackDB", 4).fixedText("xy", 4).zeros(2);
    EXPECT_EQ(bytesOf(out.data()),
              (Bytes{'a', 'b', 0, 'c', 0, 'd', 'T', 'r', 'a', 'c', 'x', 'y', 0, 0, 0, 0}));
    EXPECT_EQ(out.position(), 16u);
}

TEST(ByteWriter, SeekOverwritesBeforeTheEndAndFillsAGapWithZeros) {
    bin::ByteWriter_t out(ByteOrder_t::Little);
    out.u32(0xAAAAAAAA).seek(1).u16(0x0102);
    EXPECT_EQ(bytesOf(out.data()), (Bytes{0xAA, 0x02, 0x01, 0xAA}));
    out.seek(6).u8(7);
    EXPECT_EQ(bytesOf(out.data()), (Bytes{0xAA, 0x02, 0x01, 0xAA, 0, 0, 7}));
    out.seek(3).u32(0x05040302); // runs past the end: the data grows
    EXPECT_EQ(bytesOf(out.data()), (Bytes{0xAA, 0x02, 0x01, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(bytesOf(out.take()), (Bytes{0xAA, 0x02, 0x01, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(out.position(), 0u);
    out.u8(9);
    EXPECT_EQ(bytesOf(out.data()), (Bytes{9}));
}

TEST(ByteReader, NumbersAtUnalignedOffsetsInEitherOrder) {
    const std::string data = raw({0xEE, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xFF, 0xFF,
                                  0xFF, 0xFE, 0x3F, 0xC0, 0, 0});
    bin::ByteReader_t big(data, "numbers", ByteOrder_t::Big);
    EXPECT_EQ(big.u8(), 0xEE);
    EXPECT_EQ(big.u16(), 0x0102);      // at byte 1
    EXPECT_EQ(big.u24(), 0x030405u);   // at byte 3
    EXPECT_EQ(big.u32(), 0x06070809u); // at byte 6
    EXPECT_EQ(big.i32(), -2);
    EXPECT_EQ(big.f32(), 1.5f);
    EXPECT_EQ(big.remaining(), 0u);
    big.end();

    bin::ByteReader_t little(data, "numbers", ByteOrder_t::Little);
    little.skip(1);
    EXPECT_EQ(little.u16(), 0x0201);
    EXPECT_EQ(little.u24(), 0x050403u);
    EXPECT_EQ(little.u32(), 0x09080706u);
    EXPECT_EQ(little.i32(), static_cast<int32_t>(0xFEFFFFFF));
    little.skip(1);
    EXPECT_EQ(little.u8(), 0xC0);
    EXPECT_EQ(little.position(), 16u);
}

TEST(ByteReader, TextsAndSpans) {
    const std::string data = raw({'T', 'r', 'k', 0, 'x', 'A', 'B', 'C', 'D', 1, 2});
    bin::ByteReader_t in(data, "fields", ByteOrder_t::Big);
    EXPECT_EQ(in.text(5), "Trk");        // up to its zero, the field's whole 5 bytes read
    EXPECT_EQ(in.text(4), "ABCD");       // no zero: all of it
    EXPECT_EQ(in.bytes(2), raw({1, 2})); // the last bytes, exactly to the end
    EXPECT_EQ(in.bytes(0), "");
    EXPECT_EQ(in.text(0), "");
    in.end();
}

TEST(ByteReader, AReadPastTheEndReadsNothingAndNamesTheData) {
    const std::string data = raw({1, 2, 3, 4, 5});
    bin::ByteReader_t in(data, "the header", ByteOrder_t::Big);
    in.skip(2);
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [](auto& r) { r.u32(); }),
              "the header is cut short: 4 more bytes wanted at byte 2 of 5");
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [](auto& r) { r.bytes(4); }),
              "the header is cut short: 4 more bytes wanted at byte 2 of 5");
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [](auto& r) { r.text(9); }),
              "the header is cut short: 9 more bytes wanted at byte 2 of 5");
    EXPECT_EQ(in.u24(), 0x030405u); // what fits is still read
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [](auto& r) { r.u8(); }),
              "the header is cut short: 1 more bytes wanted at byte 5 of 5");
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [](auto& r) { r.skip(1); }),
              "the header is cut short: 1 more bytes wanted at byte 5 of 5");

    bin::ByteReader_t empty(std::string_view(), "nothing", ByteOrder_t::Little);
    EXPECT_EQ(refused<bin::MalformedBytes_t>(empty, [](auto& r) { r.u16(); }),
              "nothing is cut short: 2 more bytes wanted at byte 0 of 0");
}

TEST(ByteReader, HugeCountsAreRefusedWithoutWrapping) {
    const std::string data(16, 'x');
    bin::ByteReader_t in(data, "a record", ByteOrder_t::Big);
    in.skip(3);
    constexpr uint64_t most = std::numeric_limits<uint64_t>::max();
    // Counts that would wrap a position added to them, or a 32-bit size.
    for (const uint64_t count : {most, most - 2, uint64_t{1} << 32, (uint64_t{1} << 32) + 1, uint64_t{14}})
        EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [&](auto& r) { r.bytes(count); }),
                  "a record is cut short: " + std::to_string(count) + " more bytes wanted at byte 3 of 16");
    EXPECT_EQ(refused<bin::MalformedBytes_t>(in, [&](auto& r) { r.text(most); }),
              "a record is cut short: " + std::to_string(most) + " more bytes wanted at byte 3 of 16");
    EXPECT_EQ(in.bytes(13).size(), 13u);
}

TEST(ByteReader, BytesLeftOverAreAnError) {
    const std::string data = raw({1, 2, 3});
    bin::ByteReader_t in(data, "the answer", ByteOrder_t::Big);
    in.u8();
    try {
        in.end();
        FAIL();
    } catch (const bin::MalformedBytes_t& e) {
        EXPECT_STREQ(e.what(), "the answer has 2 bytes too many");
    }
}

TEST(ByteReader, AProtocolRaisesItsOwnErrorClass) {
    const std::string data = raw({1, 2});
    bin::BasicByteReader_t<PeerError_t> in(data, "an answer", ByteOrder_t::Big);
    EXPECT_EQ(refused<PeerError_t>(in, [](auto& r) { r.u32(); }),
              "an answer is cut short: 4 more bytes wanted at byte 0 of 2");
    EXPECT_THROW(in.end(), PeerError_t);
}
