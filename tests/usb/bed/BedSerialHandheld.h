#ifndef TESTS_USB_BED_BEDSERIALHANDHELD_H
#define TESTS_USB_BED_BEDSERIALHANDHELD_H

// The handheld of a device that speaks the serial stack on its bulk pipes: the simulator's serial
// side (the CMP wakeup, then DLP over PADP and SLP) played on a thread of its own against the
// device's line. What it came to is read once it finished, or after stop().
#include "BedSerialLine.h"
#include "HandheldSimulator.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace bed {

class SerialHandheld_t {
public:
    // `wake` is called on the handheld's thread after each of its writes and once it finished.
    SerialHandheld_t(std::string label, std::function<void()> wake);
    ~SerialHandheld_t();
    SerialHandheld_t(const SerialHandheld_t&) = delete;
    SerialHandheld_t& operator=(const SerialHandheld_t&) = delete;

    // Plays `simulator` (which no one else touches until stop() returned) with `faults`.
    void start(sim::Simulator& simulator, const sim::Faults& faults);
    SerialLine_t& line() { return m_line; }
    // Closes the line and waits for the handheld to be done.
    void stop();

    bool finished() const { return m_finished; }
    // The handheld is done, and had answered EndOfSync.
    bool ended() const { return m_ended; }
    int requests() const { return m_requests; }
    int recordsRead() const { return m_records; }
    // Valid once finished(): why the handheld gave up (empty when it did not), and what the
    // desktop did wrong in its eyes.
    const std::string& failure() const { return m_failure; }
    const std::vector<std::string>& problems() const { return m_problems; }

private:
    void play(sim::Simulator& simulator, sim::Faults faults);

    SerialLine_t m_line;
    std::function<void()> m_wake;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_requests{0};
    std::atomic<int> m_records{0};
    std::string m_failure;
    std::vector<std::string> m_problems;
};

} // namespace bed

#endif
