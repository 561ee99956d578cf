// pathlet-usb-client: the desktop's side of a USB HotSync, for the USB test bed. It waits for a
// handheld with the USB link, runs a read-only session over Net Sync on the link's stream, checks
// what it read against the handheld's .pdb file, and lets the device go.
//
//   pathlet-usb-client [--within MS] [--handheld FILE.pdb] [--database NAME] [--expect-stack
//       netsync|serial] [--expect-error TEXT] [--expect-leave yes|no] [--split] [--one-more-byte]
//       [--replay RECORDING] [--sessions N] [--cut-after MS] [--timeout MS] [--greedy]
//
// Exit status 0 when everything came as expected.
#include "BedRecording.h"
#include "HandheldSimulator.h"

#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_NetSync.h"
#include "usb/USB_Link.h"

#include <atomic>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Writes a frame as its header and then its body, two transfers, as some desktops do; or with one
// byte too many, as a desktop once did that stalled the devices.
class ReshapedStream : public dlp::ByteStream_t {
public:
    ReshapedStream(std::unique_ptr<dlp::ByteStream_t> inner, bool split, bool extra, bool greedy)
        : m_inner(std::move(inner)), m_split(split), m_extra(extra), m_greedy(greedy) {}
    void write(std::string_view bytes, dlp::Timeout_t timeout) override {
        if (m_extra)
            return m_inner->write(std::string(bytes) + '\0', timeout);
        if (m_split && bytes.size() > dlp::kFrameHeaderSize) {
            m_inner->write(bytes.substr(0, dlp::kFrameHeaderSize), timeout);
            return m_inner->write(bytes.substr(dlp::kFrameHeaderSize), timeout);
        }
        m_inner->write(bytes, timeout);
    }
    // Greedy: asks for 4 KiB whatever the caller wants, as a reader of a serial line does, and
    // notes the longest wait.
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
        if (!m_greedy)
            return m_inner->readSome(data, capacity, timeout);
        if (m_kept.empty()) {
            const auto start = std::chrono::steady_clock::now();
            m_kept.resize(4096);
            m_kept.resize(m_inner->readSome(m_kept.data(), m_kept.size(), timeout));
            m_longest = std::max(m_longest, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                std::chrono::steady_clock::now() - start));
        }
        const std::size_t count = std::min(capacity, m_kept.size());
        std::copy_n(m_kept.data(), count, data);
        m_kept.erase(0, count);
        return count;
    }
    std::string describe() const override { return m_inner->describe(); }
    std::chrono::milliseconds longest() const { return m_longest; }

private:
    std::unique_ptr<dlp::ByteStream_t> m_inner;
    bool m_split, m_extra, m_greedy;
    std::string m_kept;
    std::chrono::milliseconds m_longest{0};
};

struct Options {
    long within = 10000;
    std::string handheld, database = "TrackDB", expectStack = "netsync", expectError, expectLeave, replay;
    bool split = false, extra = false, greedy = false;
    int sessions = 1;
    long cutAfter = 0;
    long timeout = 5000; // ms for each frame
};

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A read-only HotSync: who the handheld is, then every record of one database.
void readOnlySession(dlp::DesktopSession_t& session, const Options& options) {
    session.handshake();
    session.readSysInfo();
    const dlp::UserInfo_t user = session.readUserInfo();
    std::cout << "user '" << user.name << "'\n";
    session.openConduit();
    uint8_t handle = 0;
    if (const uint16_t error = session.openDb(options.database, 0, 0x80, handle))
        throw std::runtime_error("OpenDB " + options.database + " failed with DLP error " +
                                 std::to_string(error));
    uint16_t count = 0;
    session.readOpenDbInfo(handle, count);
    std::vector<dlp::Record_t> records(count);
    for (uint16_t i = 0; i < count; ++i)
        if (const uint16_t error = session.readRecordByIndex(handle, i, records[i]))
            throw std::runtime_error("record " + std::to_string(i) + ": DLP error " + std::to_string(error));
    session.closeDb(handle);
    session.addSyncLogEntry("USB test bed: read " + std::to_string(count) + " records\n");
    session.endOfSync(0);
    std::cout << count << " records read\n";
    if (options.handheld.empty())
        return;
    const sim::Database expected = sim::databaseFromPdb(contents(options.handheld), 0);
    if (expected.records.size() != records.size())
        throw std::runtime_error("read " + std::to_string(records.size()) + " records, the file has " +
                                 std::to_string(expected.records.size()));
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].data != expected.records[i].data || records[i].id != expected.records[i].id ||
            records[i].attributes != expected.records[i].attributes ||
            records[i].category != expected.records[i].category)
            throw std::runtime_error("record " + std::to_string(i) + " differs from the file's");
    std::cout << "every record equals the file's\n";
}

// Sends the recorded desktop's frames and takes the answers, as the recorded desktop did.
void replay(dlp::Transport_t& transport, const std::string& path) {
    const auto entries = bed::loadRecording(path);
    int answers = 0;
    for (const auto& [fromHandheld, bytes] : entries) {
        if (fromHandheld)
            continue;
        if (answers == 0)
            transport.receive(); // the handheld opens
        transport.send({static_cast<uint8_t>(bytes.at(1)), bytes.substr(dlp::kFrameHeaderSize)});
        transport.receive();
        ++answers;
    }
    std::cout << answers << " recorded requests replayed\n";
}

int serve(usb::Connection_t& connection, const Options& options) {
    std::cout << "found USB " << usb::idText(connection.vendor(), connection.product()) << " ("
              << connection.name() << "), " << usb::stackName(connection.stack()) << "; " << connection.how()
              << "\n";
    const bool serial = connection.stack() == usb::Stack_t::Serial;
    if (serial != (options.expectStack == "serial")) {
        std::cerr << "usb-client: the device speaks " << usb::stackName(connection.stack()) << "\n";
        return 1;
    }
    if (serial)
        return 0; // the serial stack is not this program's to run
    std::atomic<bool> over = false;
    std::thread cutter;
    if (options.cutAfter > 0)
        cutter = std::thread([&] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.cutAfter);
            while (!over && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(10ms);
            if (!over)
                connection.cut();
        });
    int status = 0;
    try {
        auto stream = std::make_unique<ReshapedStream>(connection.takeStream(), options.split, options.extra,
                                                       options.greedy);
        const ReshapedStream& reshaped = *stream;
        dlp::NetSyncTransport_t transport(std::move(stream), std::chrono::milliseconds(options.timeout));
        if (!options.replay.empty()) {
            replay(transport, options.replay);
        } else {
            dlp::DesktopSession_t session(transport);
            readOnlySession(session, options);
        }
        if (!options.expectError.empty()) {
            std::cerr << "usb-client: the session succeeded, '" << options.expectError << "' was expected\n";
            status = 1;
        }
        if (options.greedy) {
            std::cout << "the longest read took " << reshaped.longest().count() << " ms\n";
            if (reshaped.longest() > 1s) {
                std::cerr << "usb-client: a read waited past a second for bytes that had come\n";
                status = 1;
            }
        }
    } catch (const std::exception& e) {
        const bool expected = !options.expectError.empty() &&
                              std::string(e.what()).find(options.expectError) != std::string::npos;
        std::cerr << "usb-client: " << (expected ? "as expected: " : "") << e.what() << "\n";
        status = expected ? 0 : 1;
    }
    over = true;
    if (cutter.joinable())
        cutter.join();
    const bool left = connection.finish(3s);
    std::cout << (left ? "the device left the bus\n" : "the device stayed on the bus\n");
    if (!options.expectLeave.empty() && left != (options.expectLeave == "yes")) {
        std::cerr << "usb-client: the device " << (left ? "left" : "stayed") << ", against expectation\n";
        status = 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "usb-client: " << arg << " wants a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--within")
            options.within = std::stol(value());
        else if (arg == "--handheld")
            options.handheld = value();
        else if (arg == "--database")
            options.database = value();
        else if (arg == "--expect-stack")
            options.expectStack = value();
        else if (arg == "--expect-error")
            options.expectError = value();
        else if (arg == "--expect-leave")
            options.expectLeave = value();
        else if (arg == "--replay")
            options.replay = value();
        else if (arg == "--sessions")
            options.sessions = std::stoi(value());
        else if (arg == "--timeout")
            options.timeout = std::stol(value());
        else if (arg == "--cut-after")
            options.cutAfter = std::stol(value());
        else if (arg == "--split")
            options.split = true;
        else if (arg == "--greedy")
            options.greedy = true;
        else if (arg == "--one-more-byte")
            options.extra = true;
        else {
            std::cerr << "usb-client: unknown option " << arg << "\n";
            return 2;
        }
    }
    try {
        std::vector<usb::Location_t> served;
        for (int session = 0; session < options.sessions; ++session) {
            usb::WaitOptions_t wait;
            wait.within = std::chrono::milliseconds(options.within);
            wait.tell = [](const std::string& words) { std::cout << "told: " << words << "\n"; };
            wait.skip = served;
            const auto started = std::chrono::steady_clock::now();
            std::optional<usb::Connection_t> connection = usb::waitForHandheld(wait);
            if (!connection) {
                std::cerr << "usb-client: no handheld within " << options.within << " ms\n";
                return 1;
            }
            std::cout << "waited "
                      << std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - started)
                             .count()
                      << " ms\n";
            if (const int status = serve(*connection, options))
                return status;
        }
    } catch (const std::exception& e) {
        std::cerr << "usb-client: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
