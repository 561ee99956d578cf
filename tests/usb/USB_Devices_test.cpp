// The device table: every id once, in order, with the stack and the needs each one has.
#include "usb/USB_Devices.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(UsbDevices, OnlyTheFirstModelsSpeakTheSerialStack) {
    std::set<std::string> serial;
    for (const usb::Device_t& device : usb::knownDevices())
        if (device.stack == usb::Stack_t::Serial)
            serial.insert(usb::idText(device.vendor, device.product));
    EXPECT_EQ(serial, (std::set<std::string>{"054c:0038", "082d:0100"}));
}

TEST(UsbDevices, FindsEveryEntryByItsIds) {
    std::set<std::pair<uint16_t, uint16_t>> seen;
    for (const usb::Device_t& device : usb::knownDevices()) {
        EXPECT_TRUE(seen.insert({device.vendor, device.product}).second)
            << usb::idText(device.vendor, device.product) << " twice";
        EXPECT_EQ(usb::findDevice(device.vendor, device.product), &device);
        EXPECT_STRNE(device.name, "");
    }
    EXPECT_EQ(seen.size(), 44u);
    EXPECT_EQ(usb::findDevice(0x0830, 0x0064), nullptr);
    EXPECT_EQ(usb::findDevice(0x0000, 0x0000), nullptr);
    EXPECT_EQ(usb::findDevice(0xFFFF, 0xFFFF), nullptr);
}

TEST(UsbDevices, AnIdTheTableDoesNotKnowSpeaksNetSync) {
    EXPECT_EQ(usb::stackOf(0x0830, 0x0064), usb::Stack_t::NetSync);
    EXPECT_EQ(usb::stackOf(0x054C, 0x0038), usb::Stack_t::Serial);
    EXPECT_EQ(usb::stackOf(0x082D, 0x0100), usb::Stack_t::Serial);
    EXPECT_EQ(usb::stackOf(0x0830, 0x0061), usb::Stack_t::NetSync);
    EXPECT_STREQ(usb::stackName(usb::Stack_t::Serial), "the serial stack");
    EXPECT_STREQ(usb::stackName(usb::Stack_t::NetSync), "Net Sync");
}

TEST(UsbDevices, EachQuirkSitsWithItsDevices) {
    auto quirks = [](uint16_t vendor, uint16_t product) { return usb::findDevice(vendor, product)->quirks; };
    EXPECT_EQ(quirks(0x054C, 0x0038), usb::kEarlySony);
    EXPECT_EQ(quirks(0x054C, 0x009A), usb::kEarlySony);
    EXPECT_EQ(quirks(0x082D, 0x0200), usb::kInterruptReply | usb::kSplitPairWithInterrupt);
    EXPECT_EQ(quirks(0x082D, 0x0100), usb::kConnectionInfo | usb::kSplitPairWithInterrupt);
    EXPECT_EQ(quirks(0x0C88, 0x0021), usb::kSplitPairWithInterrupt);
    EXPECT_EQ(quirks(0x0C88, 0xA226), usb::kSplitPairWithInterrupt);
    EXPECT_EQ(quirks(0x054C, 0x0144), usb::kSplitPair);
    EXPECT_EQ(quirks(0x0830, 0x0061), usb::kFirstPairWhenSilent);
    EXPECT_EQ(quirks(0x0830, 0x0080), usb::kUnsupported);
    EXPECT_EQ(quirks(0x0830, 0x0060), usb::kNoQuirk);
}

TEST(UsbDevices, IdsAreWrittenAsLowerCaseHex) {
    EXPECT_EQ(usb::idText(0x0830, 0x0061), "0830:0061");
    EXPECT_EQ(usb::idText(0x081E, 0xDF00), "081e:df00");
}

} // namespace
