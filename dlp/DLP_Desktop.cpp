#include "dlp/DLP_Desktop.h"

#include "dlp/DLP_Bytes.h"

namespace dlp {

namespace {

void expectHandshake(const Frame_t& frame, uint8_t transaction, uint8_t first, const char* step) {
    if (frame.transaction != transaction || frame.payload.empty() ||
        static_cast<uint8_t>(frame.payload[0]) != first)
        throw ProtocolError_t(std::string("the handheld's ") + step + " is not a Net Sync handshake");
}

Request_t request(Function function, std::string argument) {
    return {static_cast<uint8_t>(function), {{kFirstArgument, std::move(argument)}}};
}

Request_t request(Function function) {
    return {static_cast<uint8_t>(function), {}};
}

} // namespace

const std::string kDesktopHello = fromHex(
    "1201000000000000002000000024ffffffff3c003c000000000000000000c0a8012104270000000000000000000000000000");
const std::string kDesktopConfirm =
    fromHex("1301000000000000002000000020ffffffff003c003c000000000000000100000000000000000000000000000000");

const std::string& requireArgument(const Response_t& response, uint8_t id, const char* what) {
    const Argument_t* argument = response.argument(id);
    if (!argument)
        throw ProtocolError_t(std::string("the answer to ") + what + " has no argument " +
                              std::to_string(id));
    return argument->data;
}

void DesktopSession_t::handshake() {
    expectHandshake(m_transport.receive(), 0xFF, 0x90, "first frame");
    m_transport.send({1, kDesktopHello});
    expectHandshake(m_transport.receive(), 1, 0x92, "answer");
    m_transport.send({2, kDesktopConfirm});
    expectHandshake(m_transport.receive(), 2, 0x93, "confirmation");
    m_transaction = kHandshakeTransactions;
}

uint8_t DesktopSession_t::nextTransaction() {
    m_transaction = m_transaction >= 0xFE ? 1 : static_cast<uint8_t>(m_transaction + 1);
    return m_transaction;
}

Response_t DesktopSession_t::call(const Request_t& request) {
    const uint8_t transaction = nextTransaction();
    m_transport.send({transaction, encodeRequest(request)});
    ++m_roundTrips;
    const Frame_t frame = m_transport.receive();
    if (frame.transaction != transaction)
        throw ProtocolError_t("an answer with transaction " + std::to_string(frame.transaction) +
                              " to request " + std::to_string(transaction));
    Response_t response = decodeResponse(frame.payload);
    if (response.function != request.function)
        throw ProtocolError_t("an answer of function " + std::to_string(response.function) + " to function " +
                              std::to_string(request.function));
    return response;
}

SysInfo_t DesktopSession_t::readSysInfo() {
    Writer_t version;
    version.u16(1).u16(4); // the desktop speaks DLP 1.4
    const Response_t response = call(request(Function::ReadSysInfo, version.take()));
    if (response.error)
        throw ProtocolError_t("the handheld refused ReadSysInfo (error " + std::to_string(response.error) +
                              ")");
    const Argument_t* versions = response.argument(kFirstArgument + 1);
    return decodeSysInfo(requireArgument(response, kFirstArgument, "ReadSysInfo"),
                         versions ? &versions->data : nullptr);
}

UserInfo_t DesktopSession_t::readUserInfo() {
    const Response_t response = call(request(Function::ReadUserInfo));
    if (response.error)
        throw ProtocolError_t("the handheld refused ReadUserInfo (error " + std::to_string(response.error) +
                              ")");
    return decodeUserInfo(requireArgument(response, kFirstArgument, "ReadUserInfo"));
}

uint16_t DesktopSession_t::readDbList(uint8_t flags, uint8_t card, uint16_t start, DbList_t& list) {
    Writer_t out;
    out.u8(flags).u8(card).u16(start);
    const Response_t response = call(request(Function::ReadDBList, out.take()));
    if (!response.error)
        list = decodeDbList(requireArgument(response, kFirstArgument, "ReadDBList"));
    return response.error;
}

uint16_t DesktopSession_t::openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) {
    Writer_t out;
    out.u8(card).u8(mode).text(name);
    const Response_t response = call(request(Function::OpenDB, out.take()));
    if (!response.error) {
        Reader_t in(requireArgument(response, kFirstArgument, "OpenDB"), "the OpenDB answer");
        handle = in.u8();
    }
    return response.error;
}

uint16_t DesktopSession_t::readOpenDbInfo(uint8_t handle, uint16_t& records) {
    Writer_t out;
    out.u8(handle);
    const Response_t response = call(request(Function::ReadOpenDBInfo, out.take()));
    if (!response.error) {
        Reader_t in(requireArgument(response, kFirstArgument, "ReadOpenDBInfo"), "the ReadOpenDBInfo answer");
        records = in.u16();
    }
    return response.error;
}

uint16_t DesktopSession_t::readRecordByIndex(uint8_t handle, uint16_t index, Record_t& record) {
    Writer_t out;
    out.u8(handle).u8(0).u16(index).u16(0).u16(0xFFFF);
    const Response_t response =
        call({static_cast<uint8_t>(Function::ReadRecord), {{kFirstArgument + 1, out.take()}}});
    if (!response.error) {
        record = decodeRecord(requireArgument(response, kFirstArgument, "ReadRecord"));
        if (record.index != index)
            throw ProtocolError_t("record " + std::to_string(record.index) + " came for record " +
                                  std::to_string(index));
        if (record.data.size() != record.size)
            throw ProtocolError_t("record " + std::to_string(index) + " says " + std::to_string(record.size) +
                                  " bytes and brought " + std::to_string(record.data.size()));
    }
    return response.error;
}

uint16_t DesktopSession_t::closeDb(uint8_t handle) {
    Writer_t out;
    out.u8(handle);
    return call(request(Function::CloseDB, out.take())).error;
}

uint16_t DesktopSession_t::openConduit() {
    return call(request(Function::OpenConduit)).error;
}

uint16_t DesktopSession_t::addSyncLogEntry(const std::string& text) {
    Writer_t out;
    out.text(text);
    return call(request(Function::AddSyncLogEntry, out.take())).error;
}

uint16_t DesktopSession_t::endOfSync(uint16_t code) {
    Writer_t out;
    out.u16(code);
    return call(request(Function::EndOfSync, out.take())).error;
}

} // namespace dlp
