#include "HandheldSimulator.h"

#include "dlp/DLP_Bytes.h"
#include "plm/desktop/PLM_PdbFile.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace sim {

namespace {

using dlp::Reader_t;
using dlp::Response_t;
using dlp::Writer_t;

// Handheld seconds since 1904-01-01 as a DLP date; 0 is no date.
dlp::Date_t dateOf(uint32_t seconds) {
    dlp::Date_t date;
    if (seconds == 0)
        return date;
    using namespace std::chrono;
    const sys_seconds at = sys_days(year(1904) / January / 1) + std::chrono::seconds(seconds);
    const year_month_day day(floor<days>(at));
    const hh_mm_ss<std::chrono::seconds> time(at - floor<days>(at));
    const int y = static_cast<int>(day.year());
    date.bytes = {static_cast<uint8_t>(y >> 8),
                  static_cast<uint8_t>(y & 0xFF),
                  static_cast<uint8_t>(static_cast<unsigned>(day.month())),
                  static_cast<uint8_t>(static_cast<unsigned>(day.day())),
                  static_cast<uint8_t>(time.hours().count()),
                  static_cast<uint8_t>(time.minutes().count()),
                  static_cast<uint8_t>(time.seconds().count()),
                  0};
    return date;
}

Response_t answerOf(const dlp::Request_t& request, uint16_t error = dlp::kDlpOk) {
    return {request.function, error, {}};
}

Response_t withArgument(const dlp::Request_t& request, std::string data) {
    return {request.function, dlp::kDlpOk, {{dlp::kFirstArgument, std::move(data)}}};
}

const std::string* argument(const dlp::Request_t& request, uint8_t id) {
    const dlp::Argument_t* found = request.argument(id);
    return found ? &found->data : nullptr;
}

} // namespace

// The file is read by the one reader of the Palm database layout, which checks the header and
// every record's place against the file's size: a short or lying file is an error, never a read
// past its end.
Database databaseFromPdb(const std::string& bytes, uint16_t index) {
    plm::pdb::Layout_t layout;
    try {
        layout = plm::pdb::readLayout(bytes);
    } catch (const plm::pdb::Damaged_t& e) {
        throw dlp::ProtocolError_t(std::string("a damaged Palm database: ") + e.what());
    }
    const plm::pdb::Header_t& header = layout.header;
    Database database;
    dlp::DbInfo_t& info = database.info;
    info.name = header.name;
    info.attributes = header.attributes;
    info.version = header.version;
    info.created = dateOf(header.created);
    info.modified = dateOf(header.modified);
    info.backedUp = dateOf(header.backedUp);
    info.modificationNumber = header.modificationNumber;
    info.type = header.type;
    info.creator = header.creator;
    info.miscFlags = 0x40; // in RAM
    info.index = index;
    for (std::size_t i = 0; i < layout.records.size(); ++i) {
        const plm::pdb::RecordEntry_t& entry = layout.records[i];
        dlp::Record_t record;
        record.attributes = entry.attributes & 0xF0;
        record.category = entry.attributes & 0x0F;
        record.id = entry.uniqueId;
        record.index = static_cast<uint16_t>(i);
        const std::size_t begin = static_cast<std::size_t>(layout.bounds[i]);
        record.data = bytes.substr(begin, static_cast<std::size_t>(layout.bounds[i + 1]) - begin);
        record.size = static_cast<uint16_t>(record.data.size());
        database.records.push_back(std::move(record));
    }
    // The application block runs up to the first record (or the end of a file without any).
    const uint64_t firstRecord = layout.bounds.front();
    if (header.appInfo && header.appInfo < firstRecord)
        database.appBlock =
            bytes.substr(header.appInfo, static_cast<std::size_t>(firstRecord - header.appInfo));
    return database;
}

std::string Simulator::hello() {
    return dlp::fromHex("90010000000000000020000000080200000000000000");
}

std::string Simulator::helloAnswer() const {
    Writer_t out;
    out.bytes(dlp::fromHex("9201000000000000002000000024ffffffff"));
    out.bytes(dlp::fromHex(m_facts.layout == HandshakeLayout::Rom5 ? "3c003c000000004000000002"
                                                                   : "003c003c4000000002000000"));
    out.u32(m_facts.address).u16(m_facts.port).bytes(std::string(14, '\0'));
    return out.take();
}

std::string Simulator::confirmAnswer() {
    return dlp::fromHex("9300000000000000");
}

Response_t Simulator::answer(const dlp::Request_t& request) {
    using dlp::Function;
    switch (static_cast<Function>(request.function)) {
    case Function::ReadUserInfo:
        return withArgument(request, dlp::encodeUserInfo(m_facts.user));
    case Function::ReadSysInfo: {
        Response_t response = withArgument(request, dlp::encodeSysInfo(m_facts.system));
        if (m_facts.system.hasVersions)
            response.arguments.push_back({dlp::kFirstArgument + 1, dlp::encodeSysVersions(m_facts.system)});
        return response;
    }
    case Function::ReadDBList:
        return readDbList(request);
    case Function::OpenDB:
        return openDb(request);
    case Function::CloseDB: {
        const std::string* handle = argument(request, dlp::kFirstArgument);
        if (!handle || handle->size() != 1)
            return answerOf(request, dlp::kDlpBadHandle);
        if (m_open.empty())
            return answerOf(request, dlp::kDlpNoneOpen);
        return answerOf(request,
                        m_open.erase(static_cast<uint8_t>((*handle)[0])) ? dlp::kDlpOk : dlp::kDlpBadHandle);
    }
    case Function::ReadOpenDBInfo:
        return withHandle(request, &Simulator::readOpenDbInfo);
    case Function::ReadAppBlock:
        return withHandle(request, &Simulator::readAppBlock);
    case Function::ReadRecordIDList:
        return withHandle(request, &Simulator::readRecordIdList);
    case Function::ReadRecord:
        return readRecord(request);
    case Function::AddSyncLogEntry: {
        const std::string* text = argument(request, dlp::kFirstArgument);
        m_syncLog.push_back(text ? text->substr(0, text->find('\0')) : std::string());
        return answerOf(request);
    }
    case Function::OpenConduit:
        return answerOf(request);
    case Function::EndOfSync:
        m_ended = true;
        return answerOf(request);
    }
    return answerOf(request, dlp::kDlpUnknownFunction);
}

Response_t Simulator::readDbList(const dlp::Request_t& request) {
    const std::string* bytes = argument(request, dlp::kFirstArgument);
    if (!bytes)
        return answerOf(request, dlp::kDlpNotFound);
    Reader_t in(*bytes, "ReadDBList");
    const uint8_t flags = in.u8();
    in.u8(); // card
    const uint16_t start = in.u16();
    const std::size_t most = flags & 0x20 ? m_facts.listBatch : 1;
    dlp::DbList_t list;
    for (const Database& database : m_facts.databases) {
        if (database.info.index < start)
            continue;
        if (list.databases.size() == most) {
            list.more = true;
            break;
        }
        list.databases.push_back(database.info);
        list.lastIndex = database.info.index;
    }
    if (list.databases.empty())
        return answerOf(request, dlp::kDlpNotFound);
    return withArgument(request, dlp::encodeDbList(list));
}

Response_t Simulator::openDb(const dlp::Request_t& request) {
    const std::string* bytes = argument(request, dlp::kFirstArgument);
    if (!bytes || bytes->size() < 3)
        return answerOf(request, dlp::kDlpNotFound);
    const std::string name = bytes->substr(2, bytes->find('\0', 2) - 2);
    for (std::size_t i = 0; i < m_facts.databases.size(); ++i) {
        if (m_facts.databases[i].info.name != name)
            continue;
        for (unsigned handle = 1; handle < 256; ++handle)
            if (!m_open.count(static_cast<uint8_t>(handle))) {
                m_open[static_cast<uint8_t>(handle)] = i;
                return withArgument(request, std::string(1, static_cast<char>(handle)));
            }
    }
    return answerOf(request, dlp::kDlpNotFound);
}

Response_t Simulator::withHandle(const dlp::Request_t& request,
                                 Response_t (Simulator::*then)(const dlp::Request_t&, Database&)) {
    const std::string* bytes = argument(request, dlp::kFirstArgument);
    if (m_open.empty())
        return answerOf(request, dlp::kDlpNoneOpen);
    if (!bytes || bytes->empty() || !m_open.count(static_cast<uint8_t>((*bytes)[0])))
        return answerOf(request, dlp::kDlpBadHandle);
    return (this->*then)(request, m_facts.databases[m_open[static_cast<uint8_t>((*bytes)[0])]]);
}

Response_t Simulator::readOpenDbInfo(const dlp::Request_t& request, Database& database) {
    Writer_t out;
    out.u16(static_cast<uint16_t>(database.records.size()));
    return withArgument(request, out.take());
}

Response_t Simulator::readAppBlock(const dlp::Request_t& request, Database& database) {
    Reader_t in(*argument(request, dlp::kFirstArgument), "ReadAppBlock");
    in.u8();
    in.u8();
    const uint16_t offset = in.u16(), length = in.u16();
    if (database.appBlock.empty())
        return answerOf(request, dlp::kDlpNotFound);
    Writer_t out;
    const std::string part =
        database.appBlock.substr(std::min<std::size_t>(offset, database.appBlock.size()), length);
    out.u16(static_cast<uint16_t>(database.appBlock.size())).bytes(part);
    return withArgument(request, out.take());
}

Response_t Simulator::readRecordIdList(const dlp::Request_t& request, Database& database) {
    Reader_t in(*argument(request, dlp::kFirstArgument), "ReadRecordIDList");
    in.u8();
    in.u8(); // flags
    const uint16_t start = in.u16(), most = in.u16();
    Writer_t ids;
    uint16_t count = 0;
    for (std::size_t i = start; i < database.records.size() && count < most; ++i, ++count)
        ids.u32(database.records[i].id);
    Writer_t out;
    out.u16(count).bytes(ids.data());
    return withArgument(request, out.take());
}

Response_t Simulator::readRecord(const dlp::Request_t& request) {
    const std::string* byIndex = argument(request, dlp::kFirstArgument + 1);
    const std::string* byId = argument(request, dlp::kFirstArgument);
    const std::string* bytes = byIndex ? byIndex : byId;
    if (!bytes || bytes->empty())
        return answerOf(request, dlp::kDlpNotFound);
    if (m_open.empty())
        return answerOf(request, dlp::kDlpNoneOpen);
    Reader_t in(*bytes, "ReadRecord");
    const uint8_t handle = in.u8();
    in.u8();
    if (!m_open.count(handle))
        return answerOf(request, dlp::kDlpBadHandle);
    Database& database = m_facts.databases[m_open[handle]];
    const dlp::Record_t* found = nullptr;
    if (byIndex) {
        const uint16_t index = in.u16();
        if (index < database.records.size())
            found = &database.records[index];
    } else {
        const uint32_t id = in.u32();
        for (const dlp::Record_t& record : database.records)
            if (record.id == id)
                found = &record;
    }
    if (!found)
        return answerOf(request, dlp::kDlpNotFound);
    const uint16_t offset = in.u16(), most = in.u16();
    dlp::Record_t sent = *found;
    sent.data = found->data.substr(std::min<std::size_t>(offset, found->data.size()), most);
    ++m_recordsRead;
    return withArgument(request, dlp::encodeRecord(sent));
}

void Simulator::serve(dlp::Transport_t& transport, const Faults& faults) {
    if (faults.silentAfter == 0)
        return keepSilent(transport);
    transport.send({0xFF, hello()});
    if (transport.receive().transaction != 1)
        throw dlp::ProtocolError_t("the desktop's hello is not transaction 1");
    if (faults.silentAfter == 1)
        return keepSilent(transport);
    transport.send({1, helloAnswer()});
    if (transport.receive().transaction != 2)
        throw dlp::ProtocolError_t("the desktop's confirmation is not transaction 2");
    if (faults.silentAfter == 2)
        return keepSilent(transport);
    transport.send({2, confirmAnswer()});
    serveRequests(transport, faults);
}

// Listens until the desktop closes the link (or the handheld's own time runs out).
void Simulator::keepSilent(dlp::Transport_t& transport) {
    m_silent = true;
    const auto start = std::chrono::steady_clock::now();
    try {
        for (;;) {
            (void)transport.receive();
            ++m_framesAfterSilence;
        }
    } catch (const dlp::LinkError_t& e) {
        m_silenceEnd = e.what();
    }
    m_silentFor =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

void Simulator::serveRequests(dlp::Transport_t& transport, const Faults& faults) {
    while (!m_ended) {
        const dlp::Frame_t frame = transport.receive();
        if (frame.transaction == 0 || frame.transaction == 0xFF)
            throw dlp::ProtocolError_t("the desktop sent transaction " + std::to_string(frame.transaction));
        const dlp::Request_t request = dlp::decodeRequest(frame.payload);
        ++m_requests;
        if (m_requests == faults.dropAt)
            return;
        if (m_requests == faults.stallAt) {
            for (;;) { // the desktop must give up on its own
                if (faults.whileStalled)
                    faults.whileStalled();
                else
                    (void)transport.receive();
            }
        }
        Response_t response = answer(request);
        if (const auto error = faults.errors.find(request.function); error != faults.errors.end()) {
            response.error = error->second;
            response.arguments.clear();
        }
        if (faults.delay.count() > 0)
            std::this_thread::sleep_for(faults.delay);
        dlp::Frame_t out{frame.transaction, dlp::encodeResponse(response)};
        if (m_requests == faults.lieAt) {
            switch (faults.lie) {
            case Faults::Lie::WrongTransaction:
                out.transaction = static_cast<uint8_t>(out.transaction + 1);
                break;
            case Faults::Lie::WrongFunction:
                out.payload[0] = static_cast<char>(out.payload[0] ^ 0x01);
                break;
            case Faults::Lie::Oversized:
                out.payload.assign(dlp::kMaxPayload + 1, '\0');
                break;
            case Faults::Lie::CutShort:
                out.payload.resize(out.payload.size() / 2);
                break;
            case Faults::Lie::Garbage:
                out.payload = std::string("\x80\xFF\x00\x00\x20", 5);
                break;
            }
        }
        transport.send(out);
    }
}

std::vector<Database> databasesAt(const std::string& path) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    if (fs::is_directory(path)) {
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else {
        files.push_back(path);
    }
    std::vector<Database> databases;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in.good() && !in.eof())
            throw std::runtime_error("cannot read " + file.string());
        databases.push_back(databaseFromPdb(bytes.str(), static_cast<uint16_t>(databases.size())));
    }
    return databases;
}

Facts deviceFacts(const std::string& user, uint32_t userId, std::vector<Database> databases) {
    Facts facts;
    facts.user.name = user;
    facts.user.userId = userId;
    facts.system.romVersion = 0x05403017;
    facts.system.locale = 0x00010000;
    facts.system.productId = std::string("\0\0\0\x04", 4);
    facts.system.hasVersions = true;
    facts.system.dlpMajor = 1;
    facts.system.dlpMinor = 2;
    facts.system.compatMajor = 3;
    facts.system.largestRecord = 0xFFE1;
    facts.databases = std::move(databases);
    return facts;
}

} // namespace sim
