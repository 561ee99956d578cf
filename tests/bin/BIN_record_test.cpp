#include "bin/BIN_record.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using testsupport::Bytes;

namespace {

Bytes bytesOf(const bin::basic_stringstream& stream) {
    const std::string s = stream.str();
    return Bytes(s.begin(), s.end());
}

Bytes framed(const bin::record_t& record) {
    bin::basic_stringstream out;
    out << record;
    return bytesOf(out);
}

// A buffer that accepts `room` bytes and then refuses, or throws when asked to.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::size_t room, bool throws = false) : m_room(room), m_throws(throws) {}

protected:
    int_type overflow(int_type c) override {
        if (m_room == 0) {
            if (m_throws)
                throw std::runtime_error("disk on fire");
            return traits_type::eof();
        }
        --m_room;
        return c;
    }

private:
    std::size_t m_room;
    bool m_throws;
};

} // namespace

TEST(BinRecord, EmptyRecordIsFiveBytes) {
    EXPECT_EQ(framed(bin::record_t('V')), (Bytes{0, 0, 0, 0, 'V'}));
}

TEST(BinRecord, FormatRecordFramesAsInTheFile) {
    bin::record_t record('D');
    record << uint16_t{105};
    EXPECT_EQ(framed(record), (Bytes{0x02, 0, 0, 0, 0x44, 0x69, 0x00}));
}

TEST(BinRecord, ValuesAreLittleEndianAndUnaligned) {
    bin::record_t record('X');
    record << static_cast<unsigned char>(0xAB) << int32_t{-1} << uint16_t{0x1234} << uint32_t{0x01020304}
           << 1.0 << std::string() << std::string("abc") << "hi" << true;
    EXPECT_EQ(framed(record),
              (Bytes{28, 0, 0, 0, 'X', 0xAB, 0xFF, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 4,   3,   2, 1, 0,
                     0,  0, 0, 0, 0,   0xF0, 0x3F, 0,    'a',  'b',  'c',  0,    'h', 'i', 0, 1}));
}

TEST(BinRecord, FramingLeavesTheRecordRewoundButFull) {
    bin::record_t record('T');
    record << std::string("A");
    EXPECT_EQ(framed(record), (Bytes{2, 0, 0, 0, 'T', 'A', 0}));
    EXPECT_EQ(record.str(), std::string("A\0", 2));
    record << 'B';
    EXPECT_EQ(record.str(), std::string("B\0", 2));
}

TEST(BinStream, ANotGoodStreamWritesNothing) {
    bin::basic_stringstream out;
    out.setstate(std::ios_base::failbit);
    out << uint32_t{7} << std::string("abc");
    EXPECT_TRUE(out.str().empty());
    EXPECT_FALSE(out.bad());
    out << "text";
    EXPECT_TRUE(out.bad());
}

TEST(BinStream, ARefusedByteSetsBadAndThrowsWhenAsked) {
    FailingBuffer buffer(3);
    bin::basic_ostream out(&buffer);
    out << uint16_t{1};
    EXPECT_TRUE(out.good());
    out << uint16_t{2};
    EXPECT_TRUE(out.bad());

    FailingBuffer strict(0);
    bin::basic_ostream throwing(&strict);
    throwing.exceptions(std::ios_base::failbit | std::ios_base::badbit);
    EXPECT_THROW(throwing << 'x', std::ios_base::failure);
}

TEST(BinStream, ABufferThatThrowsLeavesTheStreamBad) {
    FailingBuffer quiet(0, true);
    bin::basic_ostream out(&quiet);
    EXPECT_NO_THROW(out << 'x');
    EXPECT_TRUE(out.bad());

    FailingBuffer loud(0, true);
    bin::basic_ostream strict(&loud);
    strict.exceptions(std::ios_base::badbit);
    EXPECT_THROW(strict << 'x', std::runtime_error);
    EXPECT_TRUE(strict.bad());
}

TEST(BinStream, ReadsAreAllOrNothing) {
    bin::basic_stringstream in(std::string("\x01\x02\x03", 3));
    uint32_t value = 99;
    in.readU32(value);
    EXPECT_EQ(value, 99u);
    EXPECT_TRUE(in.fail());
    EXPECT_TRUE(in.eof());

    bin::basic_stringstream good(std::string("\x04\x03\x02\x01xy\0z", 8));
    good.readU32(value);
    EXPECT_EQ(value, 0x01020304u);
    std::string text;
    good >> text;
    EXPECT_EQ(text, "xy");
    good >> text;
    EXPECT_EQ(text, "z");
    EXPECT_TRUE(good.fail());
}

TEST(BinOfstream, AFileThatCannotBeOpenedLeavesTheStreamFailed) {
    bin::basic_ofstream out("/nonexistent-dir/x.tlx", std::ios_base::trunc);
    EXPECT_TRUE(out.fail());
    out << uint32_t{1};
    EXPECT_TRUE(out.fail());
}

TEST(BinOfstream, IsAlwaysBinary) {
    const auto path = std::filesystem::temp_directory_path() / "pathlet_bin_ofstream_test.bin";
    {
        bin::basic_ofstream out(path.string(), std::ios_base::trunc);
        out << '\n' << static_cast<unsigned char>(0x0D);
        out.close();
        EXPECT_TRUE(out.good());
    }
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, std::string("\n\r"));
    std::filesystem::remove(path);
}
