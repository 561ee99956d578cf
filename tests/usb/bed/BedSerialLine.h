#ifndef TESTS_USB_BED_BEDSERIALLINE_H
#define TESTS_USB_BED_BEDSERIALLINE_H

// The bulk pipes of a device that speaks the serial stack, as its simulated handheld sees them: a
// byte stream whose writes wait for the desktop's IN transfers and whose reads take what the
// desktop's OUT transfers carried. The handheld runs on a thread of its own, the bus on the bed's;
// the line is what they share.
#include "dlp/DLP_ByteStream.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace bed {

class SerialLine_t {
public:
    // `wake` is called after every write of the handheld, on its thread and with no lock of the
    // line held: the bus has bytes to move.
    SerialLine_t(std::string label, std::function<void()> wake);

    // The handheld's end. It may outlive the line object: both hold the bytes in between.
    std::unique_ptr<dlp::ByteStream_t> handheldEnd() const;

    // What one OUT transfer carried, however it cuts the handheld's frames.
    void fromDesktop(std::string_view bytes);
    // The handheld's writes not yet put on the bus, oldest first; each one is a unit.
    std::deque<std::string> takeForDesktop();
    // The device left the bus: the handheld's reads and writes fail from now on.
    void close();

    struct Shared_t {
        std::mutex mutex;
        std::condition_variable arrived;
        std::string fromDesktop;
        std::deque<std::string> forDesktop;
        bool closed = false;
        std::string label;
        std::function<void()> wake;
    };

private:
    std::shared_ptr<Shared_t> m_shared;
};

} // namespace bed

#endif
