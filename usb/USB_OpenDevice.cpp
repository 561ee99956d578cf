#include "usb/USB_OpenDevice.h"

#include "dlp/DLP_Errors.h"

namespace usb {

Context_t::Context_t() {
    const int status = libusb_init(&m_context);
    if (status != LIBUSB_SUCCESS) {
        m_context = nullptr;
        throw dlp::LinkError_t("USB cannot be used here: " + libusbWords(status));
    }
}

Context_t::~Context_t() {
    if (m_context)
        libusb_exit(m_context);
}

int OpenDevice_t::claim() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_handle)
        return LIBUSB_ERROR_NO_DEVICE;
    const int status = libusb_claim_interface(m_handle, 0);
    m_claimed = status == LIBUSB_SUCCESS;
    return status;
}

void OpenDevice_t::close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_handle)
        return;
    if (m_claimed)
        libusb_release_interface(m_handle, 0); // fails harmlessly when the device is gone
    m_claimed = false;
    libusb_close(m_handle);
    m_handle = nullptr;
}

namespace {

// How often a transfer under way looks whether it was cut.
constexpr long kCutCheckMicroseconds = 100000;

void LIBUSB_CALL transferDone(libusb_transfer* transfer) {
    *static_cast<int*>(transfer->user_data) = 1;
}

int statusOf(const libusb_transfer& transfer) {
    switch (transfer.status) {
    case LIBUSB_TRANSFER_COMPLETED:
        return LIBUSB_SUCCESS;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return LIBUSB_ERROR_TIMEOUT;
    case LIBUSB_TRANSFER_CANCELLED:
        return LIBUSB_ERROR_INTERRUPTED;
    case LIBUSB_TRANSFER_STALL:
        return LIBUSB_ERROR_PIPE;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return LIBUSB_ERROR_NO_DEVICE;
    case LIBUSB_TRANSFER_OVERFLOW:
        return LIBUSB_ERROR_OVERFLOW;
    case LIBUSB_TRANSFER_ERROR:
        break;
    }
    return LIBUSB_ERROR_IO;
}

} // namespace

int OpenDevice_t::transfer(uint8_t endpoint, uint8_t type, unsigned char* data, int length,
                           unsigned int timeout, int& moved) {
    moved = 0;
    if (!m_handle)
        return LIBUSB_ERROR_NO_DEVICE;
    if (m_cut)
        return LIBUSB_ERROR_INTERRUPTED;
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (!transfer)
        return LIBUSB_ERROR_NO_MEM;
    int completed = 0;
    libusb_fill_bulk_transfer(transfer, m_handle, endpoint, data, length, transferDone, &completed, timeout);
    transfer->type = type;
    if (const int status = libusb_submit_transfer(transfer); status != LIBUSB_SUCCESS) {
        libusb_free_transfer(transfer);
        return status;
    }
    bool cancelled = false;
    while (!completed) {
        if (m_cut && !cancelled) {
            libusb_cancel_transfer(transfer);
            cancelled = true;
        }
        timeval slice{0, kCutCheckMicroseconds};
        const int status = libusb_handle_events_timeout_completed(m_context->get(), &slice, &completed);
        if (status != LIBUSB_SUCCESS && status != LIBUSB_ERROR_INTERRUPTED && !cancelled) {
            libusb_cancel_transfer(transfer); // the loop goes on until libusb gives it back
            cancelled = true;
        }
    }
    moved = transfer->actual_length;
    const int status = statusOf(*transfer);
    libusb_free_transfer(transfer);
    return m_cut && status == LIBUSB_ERROR_INTERRUPTED ? LIBUSB_ERROR_INTERRUPTED : status;
}

std::string libusbWords(int code) {
    switch (code) {
    case LIBUSB_ERROR_IO:
        return "an input/output error on the bus";
    case LIBUSB_ERROR_INVALID_PARAM:
        return "a request the device cannot take";
    case LIBUSB_ERROR_ACCESS:
        return "no permission to use the device";
    case LIBUSB_ERROR_NO_DEVICE:
        return "the device left the bus";
    case LIBUSB_ERROR_NOT_FOUND:
        return "the device has no such interface or endpoint";
    case LIBUSB_ERROR_BUSY:
        return "another program or driver holds the device";
    case LIBUSB_ERROR_TIMEOUT:
        return "the device did not answer in time";
    case LIBUSB_ERROR_OVERFLOW:
        return "the device sent more than a packet holds";
    case LIBUSB_ERROR_PIPE:
        return "the device stalled the endpoint";
    case LIBUSB_ERROR_INTERRUPTED:
        return "the HotSync was cut short";
    case LIBUSB_ERROR_NO_MEM:
        return "out of memory";
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return "this system cannot do that with USB devices";
    default:
        return std::string("USB error ") + libusb_error_name(code);
    }
}

} // namespace usb
