// The installed udev rule and the device table agree: every device pathlet serves may be opened by
// the logged-in user, and the rule names no device pathlet does not know.
#include "usb/USB_Devices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {

std::set<std::pair<std::string, std::string>> idsOf(const std::string& subsystem) {
    std::ifstream in(PATHLET_UDEV_RULE);
    std::set<std::pair<std::string, std::string>> ids;
    const std::regex line(
        "^SUBSYSTEM==\"" + subsystem +
        "\".*ATTRS?\\{idVendor\\}==\"([0-9a-f]{4})\", ATTRS?\\{idProduct\\}==\"([0-9a-f]{4})\", "
        "TAG\\+=\"uaccess\"$");
    std::smatch match;
    for (std::string text; std::getline(in, text);)
        if (std::regex_match(text, match, line))
            ids.emplace(match[1], match[2]);
    return ids;
}

std::pair<std::string, std::string> hexIds(const usb::Device_t& device) {
    const std::string id = usb::idText(device.vendor, device.product);
    return {id.substr(0, 4), id.substr(5, 4)};
}

TEST(UsbUdevRule, EveryDeviceOfTheTableAndNothingElse) {
    std::set<std::pair<std::string, std::string>> table;
    for (const usb::Device_t& device : usb::knownDevices())
        table.insert(hexIds(device));
    EXPECT_EQ(idsOf("usb"), table);
    // The ttys the kernel makes of them (and of the serial adapter) are the user's too.
    EXPECT_EQ(idsOf("tty"), table);
    EXPECT_GE(table.size(), 40u);
}

} // namespace
