#include "dlp/DLP_Packet.h"

#include "dlp/DLP_Bytes.h"

namespace dlp {

namespace {

constexpr uint8_t kAnswerBit = 0x80;
constexpr uint8_t kSmallForm = 0x80;
constexpr uint8_t kLongForm = 0x40;

void encodeArguments(Writer_t& out, const std::vector<Argument_t>& arguments) {
    for (const Argument_t& argument : arguments) {
        const std::size_t size = argument.data.size();
        if (size <= 0xFF)
            out.u8(argument.id).u8(static_cast<uint8_t>(size));
        else if (size <= 0xFFFF)
            out.u8(argument.id | kSmallForm).u8(0).u16(static_cast<uint16_t>(size));
        else
            out.u8(argument.id | kLongForm).u8(0).u32(static_cast<uint32_t>(size));
        out.bytes(argument.data);
    }
}

std::vector<Argument_t> decodeArguments(Reader_t& in, unsigned count) {
    std::vector<Argument_t> arguments;
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t tag = in.u8();
        Argument_t argument;
        std::size_t size = 0;
        if (tag & kSmallForm) {
            in.u8();
            size = in.u16();
            argument.id = tag & ~kSmallForm;
        } else if (tag & kLongForm) {
            in.u8();
            size = in.u32();
            argument.id = tag & ~kLongForm;
        } else {
            size = in.u8();
            argument.id = tag;
        }
        if (argument.id < kFirstArgument)
            throw ProtocolError_t("argument id " + std::to_string(argument.id) + " is below 0x20");
        argument.data = std::string(in.bytes(size)); // checked against what arrived first
        arguments.push_back(std::move(argument));
    }
    in.end();
    return arguments;
}

template <class Message> const Argument_t* findArgument(const Message& message, uint8_t id) {
    for (const Argument_t& argument : message.arguments)
        if (argument.id == id)
            return &argument;
    return nullptr;
}

} // namespace

const Argument_t* Request_t::argument(uint8_t id) const {
    return findArgument(*this, id);
}

const Argument_t* Response_t::argument(uint8_t id) const {
    return findArgument(*this, id);
}

std::string encodeRequest(const Request_t& request) {
    Writer_t out;
    out.u8(request.function).u8(static_cast<uint8_t>(request.arguments.size()));
    encodeArguments(out, request.arguments);
    return out.take();
}

std::string encodeResponse(const Response_t& response) {
    Writer_t out;
    const auto& arguments = response.error == kDlpOk ? response.arguments : std::vector<Argument_t>{};
    out.u8(response.function | kAnswerBit).u8(static_cast<uint8_t>(arguments.size())).u16(response.error);
    encodeArguments(out, arguments);
    return out.take();
}

Request_t decodeRequest(const std::string& payload) {
    Reader_t in(payload, "a request");
    Request_t request;
    request.function = in.u8();
    const uint8_t count = in.u8();
    request.arguments = decodeArguments(in, count);
    return request;
}

Response_t decodeResponse(const std::string& payload) {
    Reader_t in(payload, "an answer");
    Response_t response;
    const uint8_t function = in.u8();
    if (!(function & kAnswerBit))
        throw ProtocolError_t("an answer without the answer bit (function " + std::to_string(function) + ")");
    response.function = function & ~kAnswerBit;
    const uint8_t count = in.u8();
    response.error = in.u16();
    response.arguments = decodeArguments(in, count);
    return response;
}

} // namespace dlp
