#ifndef TOOLS_HANDHELDSIM_HANDHELDSIMULATOR_H
#define TOOLS_HANDHELDSIM_HANDHELDSIMULATOR_H

// A handheld set to network HotSync, for tests: it opens the Net Sync session, answers the
// desktop's Desktop Link requests from databases and user facts it was given, and fails on
// request. Its encodings are checked against sessions recorded from real devices.
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"
#include "dlp/DLP_Values.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Database {
    dlp::DbInfo_t info;
    std::string appBlock;
    std::vector<dlp::Record_t> records;
};

// A Palm database file as the handheld holds it: header facts, app block, records with their
// ids and attributes. @exception dlp::ProtocolError_t for a file that is not one.
Database databaseFromPdb(const std::string& bytes, uint16_t index);

// The databases of a .pdb file, or of every file of a directory (in name order).
// @exception dlp::ProtocolError_t for a file that is not a Palm database, std::runtime_error for one
// that cannot be read.
std::vector<Database> databasesAt(const std::string& path);

// The two layouts of the handshake answer seen on real devices (ROM 5 and ROM 4).
enum class HandshakeLayout { Rom5, Rom4 };

struct Facts {
    dlp::UserInfo_t user;
    dlp::SysInfo_t system;
    HandshakeLayout layout = HandshakeLayout::Rom5;
    uint32_t address = 0x7F000001; // the handheld's IPv4 address
    uint16_t port = 0;             // its TCP port
    std::vector<Database> databases;
    // Databases a ReadDBList answer carries at most.
    std::size_t listBatch = 20;
};

// A handheld of `user` serving `databases`, with the system facts of a device of recent make.
Facts deviceFacts(const std::string& user, uint32_t userId, std::vector<Database> databases);

// What to get wrong, counting Desktop Link requests from 1.
struct Faults {
    int dropAt = 0;  // close the connection instead of answering this request
    int stallAt = 0; // never answer this request (the connection stays open)
    int lieAt = 0;   // answer this request wrongly, as `lie` says
    enum class Lie { WrongTransaction, WrongFunction, Oversized, CutShort, Garbage } lie = Lie::Garbage;
    std::map<uint8_t, uint16_t> errors; // function -> DLP error to answer with
    // Goes silent after sending this many frames of the handshake (0, 1 or 2; -1 never), and only
    // listens: what the desktop sends after that is counted.
    int silentAfter = -1;
    std::chrono::milliseconds delay{0}; // before each answer
    // What the handheld does, over and over, in place of answering the stalled request (by
    // default it only takes what the desktop sends).
    std::function<void()> whileStalled;
};

class Simulator {
public:
    explicit Simulator(Facts facts) : m_facts(std::move(facts)) {}

    // The handheld's handshake payloads: its first frame (transaction 0xFF), the answer to the
    // desktop's hello (1) and to its confirmation (2).
    static std::string hello();
    std::string helloAnswer() const;
    static std::string confirmAnswer();

    // The answer to one request, as the device would give it.
    dlp::Response_t answer(const dlp::Request_t& request);

    const std::vector<std::string>& syncLog() const { return m_syncLog; }
    bool ended() const { return m_ended; }
    int requests() const { return m_requests; }
    int recordsRead() const { return m_recordsRead; }
    // With Faults::silentAfter: the frames the desktop sent once the handheld fell silent, how the
    // link ended and when.
    bool fellSilent() const { return m_silent; }
    int framesAfterSilence() const { return m_framesAfterSilence; }
    const std::string& silenceEnd() const { return m_silenceEnd; }
    std::chrono::milliseconds silentFor() const { return m_silentFor; }

    // Plays the handheld's part over `transport` until EndOfSync is answered or a fault ends it.
    // @exception dlp::LinkError_t, dlp::ProtocolError_t when the desktop fails.
    void serve(dlp::Transport_t& transport, const Faults& faults);
    // The same after the link is open: without the Net Sync handshake (the serial stack opens
    // with CMP instead).
    void serveRequests(dlp::Transport_t& transport, const Faults& faults);

private:
    void keepSilent(dlp::Transport_t& transport);
    dlp::Response_t readDbList(const dlp::Request_t& request);
    dlp::Response_t openDb(const dlp::Request_t& request);
    dlp::Response_t readRecord(const dlp::Request_t& request);
    dlp::Response_t withHandle(const dlp::Request_t& request,
                               dlp::Response_t (Simulator::*then)(const dlp::Request_t&, Database&));
    dlp::Response_t readOpenDbInfo(const dlp::Request_t& request, Database& database);
    dlp::Response_t readAppBlock(const dlp::Request_t& request, Database& database);
    dlp::Response_t readRecordIdList(const dlp::Request_t& request, Database& database);

    Facts m_facts;
    std::map<uint8_t, std::size_t> m_open; // handle -> database
    std::vector<std::string> m_syncLog;
    bool m_ended = false;
    int m_requests = 0;
    int m_recordsRead = 0;
    bool m_silent = false;
    int m_framesAfterSilence = 0;
    std::string m_silenceEnd;
    std::chrono::milliseconds m_silentFor{0};
};

} // namespace sim

#endif
