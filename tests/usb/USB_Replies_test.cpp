// The vendor requests' replies, from the bytes devices send and from hostile ones.
#include "usb/USB_Replies.h"

#include "dlp/DLP_Bytes.h"

#include <gtest/gtest.h>

namespace {

using dlp::fromHex;

TEST(UsbReplies, ATungstenT5NamesItsHotSyncEndpoints) {
    const std::string reply = fromHex("01010000"
                                      "636e7973"
                                      "00670000"
                                      "00000000"
                                      "01010000");
    const usb::ExtConnectionInfo_t info = usb::parseExtConnectionInfo(reply);
    EXPECT_TRUE(info.endpointsDiffer);
    ASSERT_EQ(info.ports.size(), 1u);
    EXPECT_EQ(info.ports[0].creator, usb::kSyncCreator);
    EXPECT_EQ(info.ports[0].port, 0);
    EXPECT_EQ(info.ports[0].inEndpoint, 6);
    EXPECT_EQ(info.ports[0].outEndpoint, 7);
    const usb::SyncPort_t sync = usb::findSyncPort(info);
    EXPECT_EQ(sync.state, usb::SyncState_t::Ready);
    EXPECT_EQ(sync.port.inEndpoint, 6);
}

TEST(UsbReplies, CreatorCodesArriveLittleEndian) {
    EXPECT_EQ(usb::kSyncCreator, 0x73796E63u); // "cnys" on the wire
    EXPECT_EQ(usb::kPppCreator, 0x7070705Fu);
    EXPECT_EQ(usb::kRemoteFsCreator, 0x7266734Cu);
}

TEST(UsbReplies, ADeviceOnTheBusForItsFilesIsNotReadyYet) {
    const std::string reply = fromHex("01010000"
                                      "4c736672"
                                      "00670000"
                                      "00000000"
                                      "00000000");
    EXPECT_EQ(usb::findSyncPort(usb::parseExtConnectionInfo(reply)).state, usb::SyncState_t::NotSyncing);
    // ... but a HotSync port beside it wins.
    const std::string both = fromHex("02010000"
                                     "4c736672"
                                     "00120000"
                                     "5f707070"
                                     "03000000");
    const usb::SyncPort_t sync = usb::findSyncPort(usb::parseExtConnectionInfo(both));
    EXPECT_EQ(sync.state, usb::SyncState_t::Ready);
    EXPECT_EQ(sync.port.creator, usb::kPppCreator);
    EXPECT_EQ(sync.port.port, 3);
}

TEST(UsbReplies, JunkCountsKeepTwoPortsAndNoneIsHotSync) {
    const std::string junk = fromHex("c8ff1234"
                                     "01020304"
                                     "05060708"
                                     "090a0b0c"
                                     "0d0e0f10");
    const usb::ExtConnectionInfo_t info = usb::parseExtConnectionInfo(junk);
    EXPECT_EQ(info.ports.size(), 2u);
    EXPECT_EQ(usb::findSyncPort(info).state, usb::SyncState_t::NoSyncPort);
    // No ports at all says nothing either.
    const std::string none = fromHex("00000000"
                                     "636e7973"
                                     "00670000"
                                     "00000000"
                                     "00000000");
    EXPECT_TRUE(usb::parseExtConnectionInfo(none).ports.empty());
    EXPECT_EQ(usb::findSyncPort(usb::parseExtConnectionInfo(none)).state, usb::SyncState_t::NoSyncPort);
}

TEST(UsbReplies, RepliesCutShortAreRefused) {
    const std::string whole = fromHex("01010000"
                                      "636e7973"
                                      "00670000"
                                      "00000000"
                                      "01010000");
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_THROW(usb::parseExtConnectionInfo(whole.substr(0, size)), usb::MalformedReply_t) << size;
    for (std::size_t size = 0; size < 6; ++size)
        EXPECT_THROW(usb::parseConnectionInfo(fromHex("020000020203").substr(0, size)),
                     usb::MalformedReply_t);
    EXPECT_THROW(usb::parseBytesAvailable(""), usb::MalformedReply_t);
    EXPECT_THROW(usb::parseBytesAvailable(fromHex("01")), usb::MalformedReply_t);
    try {
        usb::parseExtConnectionInfo(whole.substr(0, 12));
        FAIL();
    } catch (const usb::MalformedReply_t& e) {
        EXPECT_STREQ(e.what(),
                     "the extended connection information is cut short: 4 more bytes wanted at byte 12 "
                     "of 12");
    }
}

TEST(UsbReplies, TheShortInformationNamesTheHotSyncPort) {
    // Two ports, LE16 count: the console on endpoint 1, HotSync on 2.
    const auto ports = usb::parseConnectionInfo(fromHex("0200"
                                                        "0301"
                                                        "0202"));
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].function, 3);
    EXPECT_EQ(usb::hotSyncEndpoint(ports), 2);
    // A count of 0 or above 2 is taken as 2; one of 1 keeps one.
    EXPECT_EQ(usb::parseConnectionInfo(fromHex("0000"
                                               "0301"
                                               "0202"))
                  .size(),
              2u);
    EXPECT_EQ(usb::parseConnectionInfo(fromHex("0001"
                                               "0301"
                                               "0202"))
                  .size(),
              2u); // 256, little-endian
    const auto one = usb::parseConnectionInfo(fromHex("0100"
                                                      "0301"
                                                      "0202"));
    EXPECT_EQ(one.size(), 1u);
    EXPECT_EQ(usb::hotSyncEndpoint(one), std::nullopt);
    // HotSync on endpoint 0 is no endpoint.
    EXPECT_EQ(usb::hotSyncEndpoint(usb::parseConnectionInfo(fromHex("0100"
                                                                    "0200"
                                                                    "0000"))),
              std::nullopt);
}

TEST(UsbReplies, BytesAvailableIsReadBigEndian) {
    EXPECT_EQ(usb::parseBytesAvailable(fromHex("0001")), 1);
    EXPECT_EQ(usb::parseBytesAvailable(fromHex("1234")), 0x1234);
}

TEST(UsbReplies, TheInterruptReplyIsThePrefixAndTheExtendedInformation) {
    const std::string info = fromHex("01010000"
                                     "636e7973"
                                     "00210000"
                                     "00000000"
                                     "00000000");
    const usb::ExtConnectionInfo_t parsed =
        usb::parseInterruptReply("VNDR10" + info + std::string(38, '\x55'));
    ASSERT_EQ(parsed.ports.size(), 1u);
    EXPECT_EQ(parsed.ports[0].inEndpoint, 2);
    EXPECT_EQ(parsed.ports[0].outEndpoint, 1);
    EXPECT_EQ(usb::parseInterruptReply("VNDR10" + info).ports.size(), 1u); // 26 bytes are enough
    EXPECT_THROW(usb::parseInterruptReply("VNDR10" + info.substr(0, 19)), usb::MalformedReply_t);
    EXPECT_THROW(usb::parseInterruptReply("VNDR11" + info), usb::MalformedReply_t);
    EXPECT_THROW(usb::parseInterruptReply("VND"), usb::MalformedReply_t);
    EXPECT_THROW(usb::parseInterruptReply(""), usb::MalformedReply_t);
}

} // namespace
