#ifndef TESTS_USB_BED_BEDDEVICE_H
#define TESTS_USB_BED_BEDDEVICE_H

// A handheld as a USB device, for the USB test bed: its descriptors, its answers to control
// requests, and on its bulk endpoints the Net Sync handshake and the Desktop Link answers of the
// handheld simulator, or, for the first models, the serial stack played by the simulator's serial
// side. Bulk IN data leaves the device as packets of the endpoint's size, the way a bus moves it.
// With Net Sync every OUT transfer is held against the rule real devices enforce: one whole frame,
// or a frame's header and then its body; the serial stack takes its bytes in any split. Nothing
// here knows the test bed's plumbing.
#include "BedSerialHandheld.h"
#include "HandheldSimulator.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bed {

struct EndpointSpec {
    uint8_t address = 0;
    uint8_t type = 2; // 2 bulk, 3 interrupt
    uint16_t maxPacket = 64;
};

// How the device answers request 04.
enum class ExtReply { Sync, Empty, Stall, Silent, Junk, Short };

struct Config {
    uint16_t vendor = 0x0830;
    uint16_t product = 0x0061;
    bool highSpeed = false;
    std::vector<EndpointSpec> endpoints;
    uint8_t syncIn = 0x86, syncOut = 0x07; // where HotSync runs
    ExtReply ext = ExtReply::Sync;
    std::string extReply;                 // the 20 bytes of request 04 when it answers
    int notSyncingFor = 0;                // answers 'rfsL' this many times first
    std::optional<std::string> connReply; // request 03's 6 bytes; stalls without
    bool interruptReply = false;          // "VNDR10" and the extended reply on 0x82
    bool serialStack = false;             // speaks SLP, PADP and CMP on its bulk pipes
    std::string kernelDriver;             // a kernel driver that holds interface 0 until let go
    // Faults, counting Desktop Link requests from 1.
    int unplugAt = 0, haltAt = 0, silentAt = 0, garbageAt = 0;
    // Says its first frame and never answers the desktop's hello: any frame the desktop sends
    // after its hello is a violation.
    bool silentHandshake = false;
    int delayMs = 0; // before each answer to a Desktop Link request
};

// A recorded session to be the device of, and to hold the answers against.
struct Recorded {
    std::vector<std::pair<bool, std::string>> entries; // (from the handheld, bytes) as recorded
};

// The layout and replies of a device by name ("t5", "pair", "first", "treo", "tungsten-w", "visor",
// "early-clie", "highspeed"); the ids and the stack are left as they are.
// @exception std::invalid_argument for a name it does not know.
void applyLayout(Config& config, const std::string& name);

enum class Control { Answer, Stall, Silent };
struct ControlResult {
    Control outcome = Control::Stall;
    std::string data;
};

class Device {
public:
    Device(Config config, sim::Facts facts);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    // Be the device of a recorded session: its handshake, and its answers where the simulator
    // has none; every answer the simulator gives is compared with the recorded one.
    void followRecording(const std::vector<std::pair<bool, std::string>>& entries);

    const Config& config() const { return m_config; }
    // The device descriptor followed by the configuration descriptor.
    std::string descriptors() const;
    uint16_t maxPacket(uint8_t endpoint) const;

    ControlResult control(const uint8_t setup[8]);
    // An OUT transfer to `endpoint`.
    void out(uint8_t endpoint, const std::string& bytes);
    // The packets waiting on an IN endpoint (the front goes next). Asking for the HotSync
    // endpoint's first time starts the session.
    std::deque<std::string>& packets(uint8_t endpoint);
    bool halted(uint8_t endpoint) const { return m_halted.count(endpoint) != 0; }
    void clearHalt(uint8_t endpoint);

    // Interface 0 and the kernel driver holding it.
    const std::string& driver() const { return m_driver; }
    void disconnectDriver() { m_driver.clear(); }

    // With the serial stack, the handheld plays on a thread of its own: `wake` (called on that
    // thread) is told when it wrote or finished, so that the bus moves its bytes (packets()).
    void setWake(std::function<void()> wake) { m_wake = std::move(wake); }
    // The device left the bus: its handheld hears nothing more.
    void unplugged();
    // Waits for the serial stack's handheld to be done (the bus must not wait for this).
    void stop();

    bool unplugWanted() const { return m_unplugWanted; }
    bool sessionEnded() const;
    const std::vector<std::string>& violations() const { return m_violations; }
    const std::vector<std::string>& mismatches() const { return m_mismatches; }
    int checkedAnswers() const { return m_checked; }
    int requests() const;
    int recordsRead() const;
    int outTransfers() const { return m_outTransfers; }
    // After stop(): why the serial stack's handheld gave up, empty when it did not.
    std::string handheldFailure() const;

private:
    void send(uint8_t endpoint, const std::string& transfer);
    void sendFrame(uint8_t transaction, const std::string& payload);
    void frame(uint8_t transaction, const std::string& payload);
    void violation(const std::string& what);
    void startSerial();
    void moveSerial();
    dlp::Response_t answer(dlp::Request_t request);

    Config m_config;
    sim::Simulator m_simulator;
    std::map<uint8_t, std::deque<std::string>> m_packets;
    std::map<uint8_t, bool> m_halted;
    bool m_broken = false;
    bool m_heardHello = false; // with silentHandshake
    std::string m_driver;
    bool m_started = false;
    int m_extAsked = 0;
    std::optional<uint32_t> m_bodyDue; // after a header alone
    std::string m_header;
    int m_requests = 0;
    int m_outTransfers = 0;
    uint8_t m_lastHandle = 0;
    std::map<uint8_t, uint8_t> m_handles; // the device's handle -> the simulator's
    bool m_unplugWanted = false;
    std::vector<std::string> m_violations;
    // The serial stack: its handheld and whether its end was seen to.
    std::function<void()> m_wake;
    std::unique_ptr<SerialHandheld_t> m_serial;
    bool m_serialDone = false;
    bool m_stopped = false;
    // Following a recording: its entries, where the next one is, what differed.
    std::vector<std::pair<bool, std::string>> m_recording;
    std::size_t m_next = 0;
    std::vector<std::string> m_mismatches;
    int m_checked = 0;
};

} // namespace bed

#endif
