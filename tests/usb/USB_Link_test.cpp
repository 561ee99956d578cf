// What the USB link says about a handheld it cannot serve.
#include "usb/USB_Link.h"
#include "usb/USB_OpenDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(UsbLink, NoPermissionPointsAtTheUdevRule) {
    EXPECT_EQ(usb::cannotOpenWords("USB 0830:0061", {1, 7}, LIBUSB_ERROR_ACCESS),
              "USB 0830:0061 is there but cannot be opened (/dev/bus/usb/001/007): no permission to use the "
              "device; install pathlet's udev rule for handhelds (it lets the logged-in user use them), then "
              "unplug the handheld or press HotSync again");
    EXPECT_EQ(usb::cannotOpenWords("USB 082d:0100", {3, 12}, LIBUSB_ERROR_BUSY),
              "USB 082d:0100 is there but cannot be opened (/dev/bus/usb/003/012): another program or driver "
              "holds the device");
}

TEST(UsbLink, EveryLibusbErrorHasWords) {
    for (const int code :
         {LIBUSB_ERROR_IO, LIBUSB_ERROR_INVALID_PARAM, LIBUSB_ERROR_ACCESS, LIBUSB_ERROR_NO_DEVICE,
          LIBUSB_ERROR_NOT_FOUND, LIBUSB_ERROR_BUSY, LIBUSB_ERROR_TIMEOUT, LIBUSB_ERROR_OVERFLOW,
          LIBUSB_ERROR_PIPE, LIBUSB_ERROR_INTERRUPTED, LIBUSB_ERROR_NO_MEM, LIBUSB_ERROR_NOT_SUPPORTED,
          LIBUSB_ERROR_OTHER})
        EXPECT_FALSE(usb::libusbWords(code).empty()) << code;
    EXPECT_EQ(usb::libusbWords(LIBUSB_ERROR_NO_DEVICE), "the device left the bus");
    EXPECT_EQ(usb::libusbWords(LIBUSB_ERROR_OTHER), "USB error LIBUSB_ERROR_OTHER");
}

} // namespace
