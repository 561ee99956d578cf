#include "BedDevice.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace bed {

namespace {

// What a USB handheld sends for its part of the Net Sync handshake (its bodies differ from a
// network handheld's: no address block).
const std::string kUsbHello = dlp::fromHex("90010000000000000020000000080000010000000000");
const std::string kUsbHelloAnswer =
    dlp::fromHex("9201000000000000002000000024ffffffff003c003c4000000001000000"
                 "0000040000000400003c003c0000000000000000");

std::string le16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

// Request 04's reply naming `in` and `out` (endpoint numbers) for 'sync', or `port` for both.
std::string extReply(uint8_t in, uint8_t out, uint8_t port, const char* creator = "cnys") {
    std::string reply = dlp::fromHex("01010000");
    reply += creator;
    reply += static_cast<char>(port);
    reply += static_cast<char>(port ? 0 : (in << 4) | out);
    reply += std::string(2, '\0');
    reply += std::string(8, '\0');
    return reply;
}

EndpointSpec bulk(uint8_t address, uint16_t size = 64) {
    return {address, 2, size};
}

} // namespace

void applyLayout(Config& config, const std::string& name) {
    config.connReply.reset();
    if (name == "t5") { // two pairs; HotSync on the second, which only request 04 names
        config.endpoints = {bulk(0x81), bulk(0x02), bulk(0x86), bulk(0x07)};
        config.syncIn = 0x86, config.syncOut = 0x07;
        config.extReply = extReply(6, 7, 0);
    } else if (name == "pair") { // HotSync on the second pair, named by its number
        config.endpoints = {bulk(0x81), bulk(0x01), bulk(0x82), bulk(0x02)};
        config.syncIn = 0x82, config.syncOut = 0x02;
        config.extReply = extReply(0, 0, 2);
        config.connReply = dlp::fromHex("0200"
                                        "0001"
                                        "0202");
    } else if (name == "first") { // one pair
        config.endpoints = {bulk(0x81), bulk(0x02)};
        config.syncIn = 0x81, config.syncOut = 0x02;
        config.extReply = extReply(1, 2, 0);
    } else if (name == "treo") { // answers 04 with nothing and reports on its interrupt endpoint
        config.endpoints = {bulk(0x81), bulk(0x01), EndpointSpec{0x82, 3, 16}, bulk(0x83), bulk(0x03)};
        config.syncIn = 0x83, config.syncOut = 0x03;
        config.extReply = extReply(3, 3, 0);
        config.ext = ExtReply::Empty;
        config.interruptReply = true;
    } else if (name == "tungsten-w") { // a 32-byte OUT pipe, and no answer to 04
        config.endpoints = {bulk(0x81), bulk(0x02, 32)};
        config.syncIn = 0x81, config.syncOut = 0x02;
        config.extReply = extReply(1, 2, 0);
        config.ext = ExtReply::Stall;
    } else if (name == "visor") { // the short connection information; speaks the serial stack
        config.endpoints = {bulk(0x81), bulk(0x01), bulk(0x82), bulk(0x02)};
        config.syncIn = 0x82, config.syncOut = 0x02;
        config.ext = ExtReply::Stall;
        config.connReply = dlp::fromHex("0200"
                                        "0001"
                                        "0202");
    } else if (name == "early-clie") { // one pair, which the desktop takes from the descriptors
        config.endpoints = {bulk(0x81), bulk(0x02)};
        config.syncIn = 0x81, config.syncOut = 0x02;
        config.ext = ExtReply::Stall;
    } else if (name == "highspeed") { // 512-byte packets
        config.endpoints = {bulk(0x81, 512), bulk(0x02, 512)};
        config.syncIn = 0x81, config.syncOut = 0x02;
        config.extReply = extReply(1, 2, 0);
        config.highSpeed = true;
    } else {
        throw std::invalid_argument("no device layout '" + name + "'");
    }
}

Device::Device(Config config, sim::Facts facts)
    : m_config(std::move(config)), m_simulator(std::move(facts)), m_driver(m_config.kernelDriver) {}

Device::~Device() {
    stop();
}

void Device::followRecording(const std::vector<std::pair<bool, std::string>>& entries) {
    // Reads are joined into the handheld's frames (the recording cut them where the host's reads
    // ended); each write is one desktop frame.
    auto whole = [](const std::string& frame) {
        if (frame.size() < dlp::kFrameHeaderSize)
            return false;
        const uint32_t length = dlp::Reader_t(std::string_view(frame).substr(2, 4), "a frame length").u32();
        return frame.size() >= dlp::kFrameHeaderSize + length;
    };
    for (const auto& [fromHandheld, bytes] : entries) {
        if (fromHandheld && !m_recording.empty() && m_recording.back().first &&
            !whole(m_recording.back().second))
            m_recording.back().second += bytes;
        else
            m_recording.emplace_back(fromHandheld, bytes);
    }
}

std::string Device::descriptors() const {
    std::string endpoints;
    for (const EndpointSpec& endpoint : m_config.endpoints) {
        endpoints += dlp::fromHex("0705");
        endpoints += static_cast<char>(endpoint.address);
        endpoints += static_cast<char>(endpoint.type);
        endpoints += le16(endpoint.maxPacket);
        endpoints += static_cast<char>(endpoint.type == 3 ? 0x0A : 0x00);
    }
    std::string device = dlp::fromHex("1201");
    device += le16(m_config.highSpeed ? 0x0200 : 0x0110);
    device += dlp::fromHex("00000040");
    device += le16(m_config.vendor) + le16(m_config.product);
    device += dlp::fromHex("0001"
                           "010200"
                           "01");
    std::string config = dlp::fromHex("0902");
    config += le16(static_cast<unsigned>(9 + 9 + endpoints.size()));
    config += dlp::fromHex("010100c032");
    config += dlp::fromHex("09040000");
    config += static_cast<char>(m_config.endpoints.size());
    config += dlp::fromHex("ff000000");
    return device + config + endpoints;
}

uint16_t Device::maxPacket(uint8_t endpoint) const {
    for (const EndpointSpec& described : m_config.endpoints)
        if (described.address == endpoint)
            return described.maxPacket;
    return 64;
}

ControlResult Device::control(const uint8_t setup[8]) {
    const uint8_t type = setup[0], request = setup[1];
    if (type == 0x80 && request == 0x08)
        return {Control::Answer, std::string(1, '\x01')};
    if (type == 0x81 && request == 0x0A)
        return {Control::Answer, std::string(1, '\0')};
    if (type == 0x80 && request == 0x06 && setup[3] == 1)
        return {Control::Answer, descriptors().substr(0, 18)};
    if (type == 0x80 && request == 0x06 && setup[3] == 2)
        return {Control::Answer, descriptors().substr(18)};
    if (type != 0xC2)
        return {Control::Stall, {}};
    switch (request) {
    case 0x01:
        return {Control::Answer, dlp::fromHex("0001")};
    case 0x03:
        if (m_config.connReply)
            return {Control::Answer, *m_config.connReply};
        return {Control::Stall, {}};
    case 0x04:
        if (++m_extAsked <= m_config.notSyncingFor) {
            std::string busy = m_config.extReply;
            busy.replace(4, 4, "Lsfr");
            return {Control::Answer, busy};
        }
        switch (m_config.ext) {
        case ExtReply::Sync:
            return {Control::Answer, m_config.extReply};
        case ExtReply::Empty:
            return {Control::Answer, {}};
        case ExtReply::Stall:
            return {Control::Stall, {}};
        case ExtReply::Silent:
            return {Control::Silent, {}};
        case ExtReply::Junk:
            return {Control::Answer, dlp::fromHex("c8ff12340102030405060708090a0b0c0d0e0f10")};
        case ExtReply::Short:
            return {Control::Answer, dlp::fromHex("010100")};
        }
    }
    return {Control::Stall, {}};
}

std::deque<std::string>& Device::packets(uint8_t endpoint) {
    if (m_config.serialStack && endpoint == m_config.syncIn) {
        if (!m_started && m_extAsked >= m_config.notSyncingFor)
            startSerial();
        moveSerial();
    }
    if (endpoint == m_config.syncIn && !m_started && !m_config.serialStack &&
        m_extAsked >= m_config.notSyncingFor) {
        m_started = true;
        if (!m_recording.empty() && m_recording[0].first) {
            send(m_config.syncIn, m_recording[0].second.substr(0, dlp::kFrameHeaderSize));
            send(m_config.syncIn, m_recording[0].second.substr(dlp::kFrameHeaderSize));
            m_next = 1;
        } else {
            sendFrame(0xFF, kUsbHello);
        }
    }
    if (endpoint == 0x82 && m_config.interruptReply && !m_packets.count(0x82))
        send(0x82, "VNDR10" + m_config.extReply);
    return m_packets[endpoint];
}

void Device::startSerial() {
    m_started = true;
    char label[32];
    std::snprintf(label, sizeof label, "USB %04x:%04x", m_config.vendor, m_config.product);
    m_serial = std::make_unique<SerialHandheld_t>(label, m_wake);
    // The faults counted in Desktop Link requests, as the simulator counts them: it stops at the
    // request the device leaves or halts on, and the bus does the rest when it has stopped.
    sim::Faults faults;
    for (const int at : {m_config.unplugAt, m_config.haltAt})
        if (at > 0 && (faults.dropAt == 0 || at < faults.dropAt))
            faults.dropAt = at;
    faults.stallAt = m_config.silentAt;
    faults.lieAt = m_config.garbageAt;
    faults.lie = sim::Faults::Lie::Garbage;
    m_serial->start(m_simulator, faults);
}

void Device::moveSerial() {
    if (!m_serial)
        return;
    // Each of the handheld's writes is one SLP frame: the device sends it as one transfer.
    for (const std::string& unit : m_serial->line().takeForDesktop())
        send(m_config.syncIn, unit);
    if (!m_serial->finished() || m_serialDone)
        return;
    m_serialDone = true;
    if (m_serial->ended())
        return;
    const int stoppedAt = m_serial->requests();
    if (stoppedAt == m_config.unplugAt) {
        m_unplugWanted = true;
    } else if (stoppedAt == m_config.haltAt) {
        m_halted[m_config.syncIn] = true;
        m_broken = true;
    }
}

void Device::unplugged() {
    if (m_serial)
        m_serial->line().close();
}

void Device::stop() {
    if (!m_serial || m_stopped)
        return;
    m_stopped = true;
    m_serial->stop();
    for (const std::string& problem : m_serial->problems())
        m_violations.push_back("the serial stack: " + problem);
}

bool Device::sessionEnded() const {
    if (m_config.serialStack)
        return m_serial && m_serial->ended();
    return m_simulator.ended();
}

int Device::requests() const {
    if (m_config.serialStack)
        return m_serial ? m_serial->requests() : 0;
    return m_requests;
}

int Device::recordsRead() const {
    if (m_config.serialStack)
        return m_serial ? m_serial->recordsRead() : 0;
    return m_simulator.recordsRead();
}

std::string Device::handheldFailure() const {
    return m_serial && m_serial->finished() ? m_serial->failure() : std::string();
}

void Device::clearHalt(uint8_t endpoint) {
    // A device that broke stays broken: it halts its endpoint again at once.
    if (!m_broken)
        m_halted.erase(endpoint);
}

void Device::send(uint8_t endpoint, const std::string& transfer) {
    // Whole packets and a short last one; nothing after a body that fills its last packet, as
    // the devices send no zero-length packet.
    std::deque<std::string>& queue = m_packets[endpoint];
    const std::size_t size = maxPacket(endpoint);
    if (transfer.empty())
        queue.emplace_back();
    for (std::size_t at = 0; at < transfer.size(); at += size)
        queue.push_back(transfer.substr(at, size));
}

void Device::sendFrame(uint8_t transaction, const std::string& payload) {
    const std::string wire = dlp::encodeFrame({transaction, payload});
    send(m_config.syncIn, wire.substr(0, dlp::kFrameHeaderSize));
    send(m_config.syncIn, wire.substr(dlp::kFrameHeaderSize));
}

void Device::violation(const std::string& what) {
    m_violations.push_back(what);
    // As the devices that met such transfers did: the IN endpoint stalls.
    m_halted[m_config.syncIn] = true;
    m_broken = true;
}

void Device::out(uint8_t endpoint, const std::string& bytes) {
    if (endpoint != m_config.syncOut)
        return; // another function of the device: not HotSync's business
    ++m_outTransfers;
    if (m_config.serialStack) {
        // SLP frames carry their own lengths: any split is the desktop's to choose. Before the
        // handheld listens, what comes is lost.
        if (m_serial)
            m_serial->line().fromDesktop(bytes);
        return;
    }
    if (m_bodyDue) {
        const uint32_t due = *m_bodyDue;
        m_bodyDue.reset();
        if (bytes.size() != due)
            return violation("an OUT transfer of " + std::to_string(bytes.size()) +
                             " bytes where the body of " + std::to_string(due) + " was due");
        return frame(static_cast<uint8_t>(m_header[1]), bytes);
    }
    if (bytes.size() < dlp::kFrameHeaderSize)
        return violation("an OUT transfer of " + std::to_string(bytes.size()) +
                         " bytes, less than a frame header");
    dlp::Reader_t header(std::string_view(bytes).substr(0, dlp::kFrameHeaderSize), "a frame header");
    const uint8_t type = header.u8();
    const uint8_t transaction = header.u8();
    const uint32_t length = header.u32();
    if (type != 1 && type != 2)
        return violation("an OUT transfer that starts with frame type " + std::to_string(type));
    if (bytes.size() == dlp::kFrameHeaderSize && length > 0) {
        m_bodyDue = length;
        m_header = bytes;
        return;
    }
    if (bytes.size() != dlp::kFrameHeaderSize + length)
        return violation("an OUT transfer of " + std::to_string(bytes.size()) +
                         " bytes that holds a frame of " + std::to_string(dlp::kFrameHeaderSize + length));
    if (type == 2)
        return; // a tickle: no answer
    frame(transaction, bytes.substr(dlp::kFrameHeaderSize));
}

void Device::frame(uint8_t transaction, const std::string& payload) {
    const std::string wire = dlp::encodeFrame({transaction, payload});
    const bool following = !m_recording.empty();
    std::string recordedAnswer;
    if (following) {
        if (m_next >= m_recording.size() || m_recording[m_next].first || m_recording[m_next].second != wire)
            m_mismatches.push_back("the desktop's frame " + std::to_string(m_next) +
                                   " is not the recorded one");
        ++m_next;
        if (m_next < m_recording.size() && m_recording[m_next].first)
            recordedAnswer = m_recording[m_next++].second;
    }
    auto answerWith = [&](const std::string& answer) {
        send(m_config.syncIn, answer.substr(0, dlp::kFrameHeaderSize));
        send(m_config.syncIn, answer.substr(dlp::kFrameHeaderSize));
    };
    if (m_config.silentHandshake) {
        if (m_heardHello)
            return violation("the desktop sent transaction " + std::to_string(transaction) +
                             " to a handheld that never finished its handshake");
        m_heardHello = true;
        return;
    }
    if (transaction == 1 || transaction == 2) { // the handshake
        if (following)
            return answerWith(recordedAnswer);
        return sendFrame(transaction, transaction == 1 ? kUsbHelloAnswer : sim::Simulator::confirmAnswer());
    }
    dlp::Request_t request;
    try {
        request = dlp::decodeRequest(payload);
    } catch (const dlp::ProtocolError_t& e) {
        return violation(std::string("a request that does not decode: ") + e.what());
    }
    ++m_requests;
    if (m_requests == m_config.unplugAt) {
        m_unplugWanted = true;
        return;
    }
    if (m_requests == m_config.haltAt) {
        m_halted[m_config.syncIn] = true;
        m_broken = true;
        return;
    }
    if (m_requests == m_config.silentAt)
        return;
    if (m_requests == m_config.garbageAt)
        return sendFrame(transaction, std::string("\x80\xFF\x00\x00\x20", 5));
    if (m_config.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_config.delayMs));
    const dlp::Response_t response = answer(request);
    const std::string answered = dlp::encodeFrame({transaction, dlp::encodeResponse(response)});
    if (!following)
        return answerWith(answered);
    // The simulator answers what a desktop that only reads sends; a list of databases (whose
    // split into RAM and ROM the simulator does not keep) and requests it does not serve are
    // answered as recorded.
    using dlp::Function;
    const Function function = static_cast<Function>(request.function);
    if (response.error == dlp::kDlpUnknownFunction || function == Function::ReadDBList)
        return answerWith(recordedAnswer);
    ++m_checked;
    if (answered != recordedAnswer)
        m_mismatches.push_back("the answer to request " + std::to_string(m_requests) + " (function " +
                               std::to_string(request.function) + ") is not the recorded one");
    answerWith(answered);
}

dlp::Response_t Device::answer(dlp::Request_t request) {
    // The device hands out a new handle for every database it opens (the second one opened is 2,
    // even after the first was closed); the simulator takes the lowest free one. Requests and
    // answers are translated between the two.
    using dlp::Function;
    const Function function = static_cast<Function>(request.function);
    const bool takesHandle = function == Function::CloseDB || function == Function::ReadOpenDBInfo ||
                             function == Function::ReadAppBlock || function == Function::ReadRecordIDList ||
                             function == Function::ReadRecord;
    uint8_t deviceHandle = 0;
    if (takesHandle && !request.arguments.empty() && !request.arguments[0].data.empty()) {
        char& handle = request.arguments[0].data[0];
        deviceHandle = static_cast<uint8_t>(handle);
        if (const auto known = m_handles.find(static_cast<uint8_t>(handle)); known != m_handles.end())
            handle = static_cast<char>(known->second);
        else
            handle = static_cast<char>(0xFF); // no database the simulator opened
    }
    dlp::Response_t response = m_simulator.answer(request);
    if (function == Function::OpenDB && !response.error && !response.arguments.empty() &&
        !response.arguments[0].data.empty()) {
        const uint8_t handle = ++m_lastHandle;
        m_handles[handle] = static_cast<uint8_t>(response.arguments[0].data[0]);
        response.arguments[0].data[0] = static_cast<char>(handle);
    }
    if (function == Function::CloseDB && !response.error)
        m_handles.erase(deviceHandle);
    return response;
}

} // namespace bed
