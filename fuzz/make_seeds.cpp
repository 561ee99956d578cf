// Makes the fuzz targets' seed corpora that are too large to keep in the tree:
//  - the handheld's side of recorded sessions (every "read" of a recording, in order), for the
//    frame and session targets;
//  - the handheld's side of whole HotSyncs: the link server's real session against the simulated
//    handheld with a track database of the generator, over Net Sync framing and the serial stack;
//  - track databases of the generator.
// Usage: fuzz_make_seeds RECORDINGS_DIR CORPUS_DIR (one folder per target under CORPUS_DIR).
#include "FuzzSession.h"

#include "HandheldSimulator.h"
#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_PrefixStream.h"
#include "dlp/DLP_SerialAccept.h"
#include "dlp/DLP_Slp.h"
#include "synth/SYN_PdbFile.h"
#include "synth/SYN_TrackLog.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

void save(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// What the handheld sent in a recording: its reads, in order.
std::string handheldBytes(const fs::path& recording) {
    std::ifstream in(recording);
    std::stringstream text;
    text << in.rdbuf();
    const std::string json = text.str();
    const std::regex entry(R"re(\{\s*"type":\s*"(read|write)",\s*"data":\s*"([0-9a-f]*)"\s*\})re");
    std::string bytes;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator(); ++it)
        if ((*it)[1] == "read")
            bytes += dlp::fromHex((*it)[2].str());
    return bytes;
}

// A handheld that answers each thing the desktop writes at once, from the simulator; what it sent
// is the seed.
class ScriptedHandheld_t : public dlp::ByteStream_t {
public:
    explicit ScriptedHandheld_t(sim::Simulator& simulator) : m_simulator(simulator) {}
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t) override {
        if (m_at == m_sent.size())
            throw dlp::LinkError_t("the simulated handheld has nothing more to say");
        const std::size_t count = std::min(capacity, m_sent.size() - m_at);
        std::memcpy(data, m_sent.data() + m_at, count);
        m_at += count;
        return count;
    }
    std::string describe() const override { return "the simulated handheld"; }
    const std::string& sent() const { return m_sent; }

protected:
    void say(const std::string& bytes) { m_sent += bytes; }
    sim::Simulator& m_simulator;

private:
    std::string m_sent;
    std::size_t m_at = 0;
};

class NetSyncHandheld_t : public ScriptedHandheld_t {
public:
    explicit NetSyncHandheld_t(sim::Simulator& simulator) : ScriptedHandheld_t(simulator) {
        say(dlp::encodeFrame({0xFF, sim::Simulator::hello()}));
    }
    // Every write of the desktop is one whole frame.
    void write(std::string_view bytes, dlp::Timeout_t) override {
        const uint8_t transaction = static_cast<uint8_t>(bytes.at(1));
        const std::string payload(bytes.substr(dlp::kFrameHeaderSize));
        if (m_step == 0)
            say(dlp::encodeFrame({transaction, m_simulator.helloAnswer()}));
        else if (m_step == 1)
            say(dlp::encodeFrame({transaction, sim::Simulator::confirmAnswer()}));
        else
            say(dlp::encodeFrame(
                {transaction, dlp::encodeResponse(m_simulator.answer(dlp::decodeRequest(payload)))}));
        ++m_step;
    }

private:
    int m_step = 0;
};

class SerialHandheld_t : public ScriptedHandheld_t {
public:
    explicit SerialHandheld_t(sim::Simulator& simulator) : ScriptedHandheld_t(simulator) {
        dlp::CmpPacket_t wakeUp;
        wakeUp.flags = dlp::kCmpChangeRate | dlp::kCmpLongPadp;
        wakeUp.minor = 3;
        wakeUp.rate = 115200;
        sendMessage(dlp::kCmpTransaction, dlp::encodeCmp(wakeUp));
    }
    // Every write of the desktop is one SLP frame: acknowledged when it carries data, answered
    // when it is a whole request.
    void write(std::string_view bytes, dlp::Timeout_t) override {
        const dlp::SlpScan_t scan = dlp::scanSlp(bytes);
        if (scan.kind != dlp::SlpScan_t::Frame)
            throw std::logic_error("the desktop wrote no SLP frame");
        const dlp::PadpPacket_t packet = dlp::decodePadp(scan.frame.transaction, scan.frame.payload);
        if (packet.type != dlp::kPadpData)
            return;
        dlp::PadpPacket_t ack;
        ack.transaction = packet.transaction;
        ack.type = dlp::kPadpAck;
        ack.flags = static_cast<uint8_t>((packet.flags & ~(dlp::kPadpMemoryError | dlp::kPadpLongForm)) |
                                         (m_longForm ? dlp::kPadpLongForm : 0));
        ack.size = packet.size;
        sendPacket(ack);
        m_message += packet.data;
        if (!(packet.flags & dlp::kPadpLast))
            return;
        const std::string message = std::move(m_message);
        m_message.clear();
        if (packet.transaction == dlp::kCmpTransaction) {
            m_longForm = (dlp::decodeCmp(message).flags & dlp::kCmpLongPadp) != 0;
            return;
        }
        sendMessage(packet.transaction, dlp::encodeResponse(m_simulator.answer(dlp::decodeRequest(message))));
    }

private:
    void sendPacket(const dlp::PadpPacket_t& packet) {
        dlp::SlpFrame_t frame;
        frame.transaction = packet.transaction;
        frame.payload = dlp::encodePadp(packet);
        say(dlp::encodeSlp(frame));
    }
    void sendMessage(uint8_t transaction, const std::string& message) {
        std::size_t offset = 0;
        do {
            const std::size_t size = std::min(dlp::kPadpMaxFragment, message.size() - offset);
            dlp::PadpPacket_t fragment;
            fragment.transaction = transaction;
            fragment.flags = static_cast<uint8_t>((offset == 0 ? dlp::kPadpFirst : 0) |
                                                  (offset + size == message.size() ? dlp::kPadpLast : 0) |
                                                  (m_longForm ? dlp::kPadpLongForm : 0));
            fragment.size = static_cast<uint32_t>(offset == 0 ? message.size() : offset);
            fragment.data = message.substr(offset, size);
            sendPacket(fragment);
            offset += size;
        } while (offset < message.size());
    }

    bool m_longForm = false;
    std::string m_message;
};

std::string trackDb(int logs, int points, uint16_t perRecord, uint32_t seed) {
    std::vector<std::string> records;
    for (const synth::TrackLog_t& log : synth::syntheticLogs(logs, points, perRecord, seed))
        for (std::string& record : synth::encodeTrackLog(log))
            records.push_back(std::move(record));
    return synth::buildPdb("TrackDB", "Trck", "VTRK", records);
}

struct Handheld_t {
    const char* name;
    std::string user;
    uint32_t userId;
    std::string trackDb; // empty: none
    bool succeeds;       // the HotSync writes the desktop file
};

// The handheld's side of one whole HotSync through the link server.
template <class Scripted_t> std::string hotSync(const Handheld_t& handheld, bool serial) {
    std::vector<sim::Database> databases;
    if (!handheld.trackDb.empty())
        databases.push_back(sim::databaseFromPdb(handheld.trackDb, 0));
    sim::Simulator simulator(sim::deviceFacts(handheld.user, handheld.userId, std::move(databases)));
    Scripted_t line(simulator);
    std::unique_ptr<dlp::Transport_t> transport;
    bool handshake = true;
    if (serial) {
        dlp::SerialOptions_t options;
        options.tickleEvery = std::chrono::milliseconds(0);
        options.nudgeAfter = std::chrono::milliseconds(0);
        dlp::AcceptedLink_t link = dlp::acceptOnStream(line, options, {});
        transport = std::move(link.transport);
        handshake = link.kind == dlp::LinkKind_t::NetSync;
    } else {
        // The transport reads through the handheld, which outlives it.
        transport = std::make_unique<dlp::NetSyncTransport_t>(std::make_unique<dlp::PrefixStream_t>(line, ""),
                                                              dlp::Timeout_t(1000));
    }
    const host::SyncOutcome outcome = fuzzing::runHotSync(std::move(transport), handshake);
    // A seed that does not reach as far as it should would leave most of the session unfuzzed.
    if (outcome.succeeded != handheld.succeeds)
        throw std::runtime_error(std::string("the simulated HotSync ") + handheld.name +
                                 " came to: " + outcome.words);
    return serial ? std::string(1, '\0') + line.sent() : line.sent();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fuzz_make_seeds RECORDINGS_DIR CORPUS_DIR\n";
        return 2;
    }
    const fs::path recordings = argv[1], corpus = argv[2];
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(recordings)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != ".json")
                continue;
            const std::string bytes = handheldBytes(entry.path());
            const std::string stem = entry.path().stem().string();
            if (name.find(".serial") != std::string::npos) {
                save(corpus / "serial" / stem, std::string(1, '\0') + bytes);
                save(corpus / "session_serial" / stem, std::string(1, '\0') + bytes);
            } else {
                save(corpus / "netsync" / stem, bytes);
                save(corpus / "session_netsync" / stem, bytes);
                save(corpus / "session_serial" / stem, std::string(1, '\0') + bytes);
            }
        }
        const std::vector<Handheld_t> handhelds = {
            {"known-user", "Fuzz", 1, trackDb(2, 30, 7, 1), true},
            {"new-user", "Ann", 7, trackDb(1, 12, 100, 2), true},
            {"no-trackdb", "Fuzz", 1, "", false},
            {"no-user", "", 0, "", false},
        };
        for (const Handheld_t& handheld : handhelds) {
            const std::string netSync = hotSync<NetSyncHandheld_t>(handheld, false);
            save(corpus / "session_netsync" / handheld.name, netSync);
            save(corpus / "netsync" / handheld.name, netSync);
            save(corpus / "session_serial" / (std::string(handheld.name) + "-netsync"),
                 std::string(1, '\0') + netSync);
            const std::string serial = hotSync<SerialHandheld_t>(handheld, true);
            save(corpus / "session_serial" / handheld.name, serial);
            save(corpus / "serial" / handheld.name, serial);
        }
        save(corpus / "pdb" / "synth.pdb", trackDb(2, 30, 7, 3));
        save(corpus / "pdb" / "empty.pdb", synth::buildPdb("TrackDB", "Trck", "VTRK", {}));
    } catch (const std::exception& e) {
        std::cerr << "fuzz_make_seeds: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
