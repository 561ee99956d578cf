// Which bulk pair carries HotSync, from what the device says and the endpoints it has.
#include "usb/USB_BulkStream.h"
#include "usb/USB_Devices.h"
#include "usb/USB_Endpoints.h"

#include "dlp/DLP_Bytes.h"

#include <gtest/gtest.h>

namespace {

using usb::Endpoint_t;
using usb::Source_t;
using usb::Transfer_t;

Endpoint_t bulk(uint8_t address, uint16_t size = 64) {
    return {address, Transfer_t::Bulk, size};
}

Endpoint_t interrupt(uint8_t address) {
    return {address, Transfer_t::Interrupt, 16};
}

// A T5: four 64-byte bulk endpoints, HotSync on the second pair.
const std::vector<Endpoint_t> kT5{bulk(0x81), bulk(0x02), bulk(0x86), bulk(0x07)};

usb::ExtConnectionInfo_t extended(const std::string& hex) {
    return usb::parseExtConnectionInfo(dlp::fromHex(hex));
}

void expectPipes(const std::optional<usb::Pipes_t>& pipes, uint8_t in, uint8_t out, Source_t source) {
    ASSERT_TRUE(pipes.has_value());
    EXPECT_EQ(pipes->in.address, in);
    EXPECT_EQ(pipes->out.address, out);
    EXPECT_EQ(pipes->source, source);
}

TEST(UsbEndpoints, TheExtendedReplysNibblesComeFirst) {
    usb::Clues_t clues;
    clues.extended = extended("01010000636e7973006700000000000001010000");
    clues.hotSyncEndpoint = 1; // a short reply that says otherwise loses
    expectPipes(usb::chooseEndpoints(kT5, clues), 0x86, 0x07, Source_t::ExtendedEndpoints);
}

TEST(UsbEndpoints, APortNamesBothEndpoints) {
    usb::Clues_t clues;
    clues.extended = extended("01000000636e7973020000000000000000000000");
    expectPipes(usb::chooseEndpoints({bulk(0x81), bulk(0x01), bulk(0x82), bulk(0x02)}, clues), 0x82, 0x02,
                Source_t::ExtendedPort);
}

TEST(UsbEndpoints, APortThatNamesNoEndpointCountsPairs) {
    usb::Clues_t clues;
    clues.extended = extended("01000000636e7973020000000000000000000000");
    expectPipes(usb::chooseEndpoints(kT5, clues), 0x86, 0x07, Source_t::ExtendedPairIndex);
    // A third pair that is not there: the descriptors decide.
    clues.extended = extended("01000000636e7973030000000000000000000000");
    expectPipes(usb::chooseEndpoints(kT5, clues), 0x81, 0x02, Source_t::FirstPair);
}

TEST(UsbEndpoints, EndpointsTheInterfaceLacksAreNotTaken) {
    usb::Clues_t clues;
    clues.extended = extended("01010000636e7973009900000000000000000000"); // 9 and 9: none there
    expectPipes(usb::chooseEndpoints(kT5, clues), 0x81, 0x02, Source_t::FirstPair);
    // An interrupt endpoint of the named number is no bulk endpoint.
    clues.extended = extended("01010000636e7973002300000000000000000000");
    expectPipes(usb::chooseEndpoints({interrupt(0x82), bulk(0x83), bulk(0x03)}, clues), 0x83, 0x03,
                Source_t::FirstPair);
}

TEST(UsbEndpoints, TheShortReplysHotSyncPortComesNext) {
    usb::Clues_t clues;
    clues.extended = extended("01010000"
                              "4c736672"
                              "00670000"
                              "00000000"
                              "00000000"); // no HotSync there
    clues.hotSyncEndpoint = 2;
    expectPipes(usb::chooseEndpoints({bulk(0x81), bulk(0x01), bulk(0x82), bulk(0x02)}, clues), 0x82, 0x02,
                Source_t::ConnectionInfo);
}

TEST(UsbEndpoints, WithoutRepliesTheFirstPairOfUsualSizeServes) {
    const usb::Clues_t none;
    expectPipes(usb::chooseEndpoints(kT5, none), 0x81, 0x02, Source_t::FirstPair);
    expectPipes(usb::chooseEndpoints({bulk(0x81, 8), bulk(0x01, 8), bulk(0x82, 512), bulk(0x02, 512)}, none),
                0x82, 0x02, Source_t::FirstPair);
}

TEST(UsbEndpoints, AThirtyTwoByteOutPipeServesWhenNothingElseDoes) {
    const usb::Clues_t none;
    const auto pipes = usb::chooseEndpoints({bulk(0x81, 64), bulk(0x02, 32)}, none);
    expectPipes(pipes, 0x81, 0x02, Source_t::AnyBulk);
    EXPECT_EQ(pipes->out.maxPacket, 32);
}

TEST(UsbEndpoints, HandspringAndKyoceraWithAnInterruptEndpointSplitThePairs) {
    usb::Clues_t clues;
    clues.quirks = usb::findDevice(0x082D, 0x0200)->quirks;
    const std::vector<Endpoint_t> treo{bulk(0x81), bulk(0x01), interrupt(0x82), bulk(0x83), bulk(0x03)};
    expectPipes(usb::chooseEndpoints(treo, clues), 0x81, 0x03, Source_t::SplitPair);
    // Without the interrupt endpoint they pair as everyone else.
    expectPipes(usb::chooseEndpoints({bulk(0x81), bulk(0x01), bulk(0x83), bulk(0x03)}, clues), 0x81, 0x01,
                Source_t::FirstPair);
    // The Clié UX always does.
    clues.quirks = usb::findDevice(0x054C, 0x0144)->quirks;
    expectPipes(usb::chooseEndpoints({bulk(0x81), bulk(0x01), bulk(0x83), bulk(0x03)}, clues), 0x81, 0x03,
                Source_t::SplitPair);
    // A reply still wins over the quirk.
    clues.quirks = usb::findDevice(0x082D, 0x0200)->quirks;
    clues.extended = extended("01010000636e7973003300000000000000000000");
    expectPipes(usb::chooseEndpoints(treo, clues), 0x83, 0x03, Source_t::ExtendedEndpoints);
}

TEST(UsbEndpoints, AnInterfaceWithoutABulkPairHasNone) {
    const usb::Clues_t none;
    EXPECT_FALSE(usb::chooseEndpoints({}, none).has_value());
    EXPECT_FALSE(usb::chooseEndpoints({bulk(0x81), interrupt(0x82)}, none).has_value());
    EXPECT_FALSE(usb::chooseEndpoints({bulk(0x01), bulk(0x02)}, none).has_value());
}

TEST(UsbEndpoints, EverySourceHasWords) {
    for (Source_t source :
         {Source_t::ExtendedEndpoints, Source_t::ExtendedPort, Source_t::ExtendedPairIndex,
          Source_t::ConnectionInfo, Source_t::SplitPair, Source_t::FirstPair, Source_t::AnyBulk})
        EXPECT_STRNE(usb::sourceText(source), "");
}

TEST(UsbBulkStream, InTransfersAreWholePacketsOfWhatIsWanted) {
    EXPECT_EQ(usb::inTransferSize(6, 64), 64u);  // a frame header
    EXPECT_EQ(usb::inTransferSize(64, 64), 64u); // a body of one full packet: full, so complete
    EXPECT_EQ(usb::inTransferSize(65, 64), 128u);
    EXPECT_EQ(usb::inTransferSize(1116, 64), 1152u);
    EXPECT_EQ(usb::inTransferSize(27832, 64), 4096u); // at most a few KiB at a time
    EXPECT_EQ(usb::inTransferSize(27832, 512), 4096u);
    EXPECT_EQ(usb::inTransferSize(1, 512), 512u);
    EXPECT_EQ(usb::inTransferSize(100000, 1000), 4000u); // whole packets of an odd size
    EXPECT_EQ(usb::inTransferSize(10, 8192), 8192u);     // never less than a packet
    EXPECT_EQ(usb::inTransferSize(0, 0), 1u);
}

} // namespace
