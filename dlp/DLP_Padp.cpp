#include "dlp/DLP_Padp.h"

#include "dlp/DLP_Bytes.h"

#include "dlp/DLP_ByteStream.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace dlp {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// While a handheld follows a rate change, tries come this often.
constexpr milliseconds kSettleRetry{200};

std::string number(uint64_t value) {
    return std::to_string(value);
}

} // namespace

std::string encodePadp(const PadpPacket_t& packet) {
    Writer_t out;
    out.u8(packet.type).u8(packet.flags);
    if (packet.flags & kPadpLongForm) {
        out.u32(packet.size);
    } else {
        if (packet.size > 0xFFFF)
            throw std::length_error("a PADP size over 65535 needs the long form");
        out.u16(static_cast<uint16_t>(packet.size));
    }
    out.bytes(packet.data);
    return out.take();
}

PadpPacket_t decodePadp(uint8_t transaction, std::string_view payload) {
    Reader_t in(payload, "a PADP header");
    PadpPacket_t packet;
    packet.transaction = transaction;
    packet.type = in.u8();
    packet.flags = in.u8();
    packet.size = packet.flags & kPadpLongForm ? in.u32() : in.u16();
    packet.data = std::string(in.bytes(in.remaining()));
    return packet;
}

std::string PadpLink_t::peer() const {
    return m_options.role == PadpRole_t::Desktop ? "the handheld" : "the desktop";
}

PadpLink_t::PadpLink_t(ByteStream_t& stream, PadpOptions_t options)
    : m_stream(stream), m_options(options), m_reader(stream) {
    if (m_options.fragmentSize == 0 || m_options.fragmentSize > kPadpMaxFragment)
        m_options.fragmentSize = kPadpMaxFragment;
    if (m_options.tries < 1)
        m_options.tries = 1;
}

void PadpLink_t::writePacket(const PadpPacket_t& packet) {
    SlpFrame_t frame;
    frame.transaction = packet.transaction;
    frame.payload = encodePadp(packet);
    const std::string bytes = encodeSlp(frame);
    const std::lock_guard<std::mutex> lock(m_writing);
    m_stream.write(bytes, m_options.timeout);
}

std::optional<PadpPacket_t> PadpLink_t::nextPacket(Deadline_t deadline) {
    if (!m_pending.empty()) {
        PadpPacket_t packet = std::move(m_pending.front());
        m_pending.pop_front();
        return packet;
    }
    for (;;) {
        const std::optional<SlpFrame_t> frame = m_reader.next(deadline);
        if (!frame)
            return std::nullopt;
        // Other protocols on the line (the debugger's, remote procedure calls) are not HotSync's.
        if (frame->type != kSlpTypePadp || frame->destination != kSlpDesktopLink)
            continue;
        PadpPacket_t packet = decodePadp(frame->transaction, frame->payload);
        switch (packet.type) {
        case kPadpData:
        case kPadpTickle:
            return packet;
        case kPadpAck:
            m_acked[packet.transaction] = true;
            return packet;
        case kPadpAbort:
            throw LinkError_t(peer() + " ended the link (PADP abort)");
        default:
            throw ProtocolError_t("a PADP packet of unknown type " + number(packet.type));
        }
    }
}

bool PadpLink_t::isDuplicate(const PadpPacket_t& packet) const {
    return m_lastData && m_lastData->transaction == packet.transaction && m_lastData->flags == packet.flags &&
           m_lastData->size == packet.size && m_lastData->data == packet.data;
}

void PadpLink_t::acknowledge(const PadpPacket_t& data) {
    PadpPacket_t ack;
    ack.transaction = data.transaction;
    ack.type = kPadpAck;
    ack.size = data.size;
    if (m_options.role == PadpRole_t::Desktop) {
        ack.flags = kPadpFirst | kPadpLast;
        if (data.size > 0xFFFF)
            ack.flags |= kPadpLongForm;
    } else {
        ack.flags = static_cast<uint8_t>(data.flags & ~(kPadpMemoryError | kPadpLongForm));
        if (m_longForm || data.size > 0xFFFF)
            ack.flags |= kPadpLongForm;
    }
    writePacket(ack);
    m_lastTransaction = data.transaction;
}

void PadpLink_t::post(uint8_t transaction, std::string_view message) {
    if (message.size() > m_options.fragmentSize)
        throw std::length_error("a posted PADP message must fit one fragment");
    PadpPacket_t packet;
    packet.transaction = transaction;
    packet.flags = kPadpFirst | kPadpLast;
    if (m_longForm && m_options.role == PadpRole_t::Handheld)
        packet.flags |= kPadpLongForm;
    packet.size = static_cast<uint32_t>(message.size());
    packet.data = std::string(message);
    writePacket(packet);
    m_lastTransaction = transaction;
}

void PadpLink_t::send(uint8_t transaction, std::string_view message) {
    const bool longForm = m_options.role == PadpRole_t::Handheld ? m_longForm : message.size() > 0xFFFF;
    if (message.size() > 0xFFFFFFFFu || (longForm && !m_longForm))
        throw LinkError_t("a message of " + number(message.size()) + " bytes is too long for " + peer() +
                          ", which did not agree to long PADP headers");
    m_lastTransaction = transaction;
    std::size_t offset = 0;
    do {
        const std::size_t size = std::min(m_options.fragmentSize, message.size() - offset);
        PadpPacket_t fragment;
        fragment.transaction = transaction;
        fragment.flags = static_cast<uint8_t>((offset == 0 ? kPadpFirst : 0) |
                                              (offset + size == message.size() ? kPadpLast : 0) |
                                              (longForm ? kPadpLongForm : 0));
        fragment.size = static_cast<uint32_t>(offset == 0 ? message.size() : offset);
        fragment.data = std::string(message.substr(offset, size));
        const bool last = offset + size == message.size();
        for (int tries = 0;;) {
            const auto now = steady_clock::now();
            const bool settling = now < m_settleUntil;
            if (!settling && tries++ == m_options.tries)
                throw LinkError_t(peer() + " did not acknowledge transaction " + number(transaction) +
                                  " after " + number(static_cast<uint64_t>(m_options.tries)) + " tries of " +
                                  secondsText(m_options.ackTimeout));
            writePacket(fragment);
            if (awaitAck(fragment, last, now + (settling ? kSettleRetry : m_options.ackTimeout)))
                break;
            ++m_resent;
        }
        offset += size;
    } while (offset < message.size());
}

bool PadpLink_t::awaitAck(const PadpPacket_t& fragment, bool lastFragment, Deadline_t deadline) {
    while (std::optional<PadpPacket_t> packet = nextPacket(deadline)) {
        if (packet->type == kPadpAck) {
            // An acknowledgement of an earlier fragment of this message, come late, is not this one's.
            if (packet->transaction != fragment.transaction ||
                (packet->size != fragment.size && !((fragment.flags & kPadpFirst) && lastFragment)))
                continue;
            if (packet->flags & kPadpMemoryError)
                throw ProtocolError_t(peer() + " had no memory for the message of transaction " +
                                      number(fragment.transaction));
            return true;
        }
        if (packet->type != kPadpData)
            continue; // a tickle
        if (isDuplicate(*packet)) {
            ++m_duplicates;
            acknowledge(*packet);
            continue;
        }
        // The answer to this message came, so its acknowledgement was lost on the way. CMP's id is
        // left out: an INIT is never answered, and a repeated wakeup must not pass for its ACK.
        if (lastFragment && fragment.transaction != kCmpTransaction &&
            packet->transaction == fragment.transaction && (packet->flags & kPadpFirst)) {
            m_pending.push_back(std::move(*packet));
            return true;
        }
        // Anything else is left unacknowledged: the peer sends it again.
    }
    return false;
}

Frame_t PadpLink_t::receive() {
    std::optional<Frame_t> message = receiveMessage(steady_clock::now() + m_options.timeout, true);
    if (!message && m_tickledOnly)
        throw LinkError_t(peer() + " sent nothing but tickles for " +
                          secondsText(sessionBase(m_options.timeout)));
    if (!message)
        throw LinkError_t(peer() + " said nothing for " + secondsText(m_options.timeout));
    return std::move(*message);
}

std::optional<Frame_t> PadpLink_t::receiveUntil(Deadline_t deadline) {
    return receiveMessage(deadline, false);
}

std::optional<Frame_t> PadpLink_t::receiveMessage(Deadline_t startBy, bool tickleExtends) {
    Deadline_t deadline = startBy;
    bool started = false;
    Frame_t message;
    uint32_t total = 0;
    // Once begun, the message comes whole within its time (see answerTime), however its
    // fragments are spaced and whatever tickles come between them.
    Deadline_t whole = Deadline_t::max();
    Timeout_t allowed{0};
    // Tickles say the peer is busy: they lengthen the wait for a message to begin, up to ten times
    // the timeout in all.
    const Deadline_t tickledLongest = steady_clock::now() + sessionBase(m_options.timeout);
    m_tickledOnly = false;
    for (;;) {
        std::optional<PadpPacket_t> packet = nextPacket(deadline);
        if (!packet) {
            if (!started)
                return std::nullopt;
            if (steady_clock::now() >= whole)
                throw LinkError_t(peer() + " sent " + number(message.payload.size()) + " of the " +
                                  number(total) + " bytes of a message within " + secondsText(allowed));
            throw LinkError_t(peer() + " stopped after " + number(message.payload.size()) + " of the " +
                              number(total) + " bytes of a message");
        }
        if (packet->type == kPadpTickle) {
            if (started || tickleExtends) {
                deadline =
                    std::min(steady_clock::now() + m_options.timeout, started ? whole : tickledLongest);
                m_tickledOnly = !started && deadline == tickledLongest;
            }
            continue;
        }
        if (packet->type != kPadpData)
            continue; // an acknowledgement that came late
        if (isDuplicate(*packet)) {
            ++m_duplicates;
            acknowledge(*packet);
            continue;
        }
        const std::string_view data = packet->data;
        if (!started) {
            if (!(packet->flags & kPadpFirst))
                throw ProtocolError_t(peer() + " sent a fragment at offset " + number(packet->size) +
                                      " of a message that never began");
            if (packet->size > m_options.maxMessage)
                throw ProtocolError_t(peer() + " announced a message of " + number(packet->size) +
                                      " bytes, more than the " + number(m_options.maxMessage) +
                                      " any message needs");
            started = true;
            total = packet->size;
            message.transaction = packet->transaction;
            allowed = answerTime(m_options.timeout, total);
            whole = steady_clock::now() + allowed;
        } else if (packet->flags & kPadpFirst) {
            throw ProtocolError_t(peer() + " began a new message after " + number(message.payload.size()) +
                                  " of the " + number(total) + " bytes of the last one");
        } else if (packet->transaction != message.transaction) {
            throw ProtocolError_t(peer() + " sent a fragment of transaction " + number(packet->transaction) +
                                  " within transaction " + number(message.transaction));
        } else if (packet->size != message.payload.size()) {
            throw ProtocolError_t(peer() + " sent a fragment at offset " + number(packet->size) + " where " +
                                  number(message.payload.size()) + " bytes had come");
        }
        if (data.size() > kPadpMaxFragment)
            throw ProtocolError_t(peer() + " sent a fragment of " + number(data.size()) +
                                  " bytes, more than " + number(kPadpMaxFragment));
        if (data.size() > total - message.payload.size())
            throw ProtocolError_t(peer() + " sent fragments of more than the " + number(total) +
                                  " bytes it announced");
        const bool last = packet->flags & kPadpLast;
        if (last && message.payload.size() + data.size() != total)
            throw ProtocolError_t(peer() + " ended a message after " +
                                  number(message.payload.size() + data.size()) + " of the " + number(total) +
                                  " bytes it announced");
        message.payload.append(data);
        acknowledge(*packet);
        m_lastData = std::move(*packet);
        if (last)
            return message;
        deadline = std::min(steady_clock::now() + m_options.timeout, whole);
    }
}

void PadpLink_t::tickle() {
    PadpPacket_t packet;
    packet.transaction = m_lastTransaction;
    packet.type = kPadpTickle;
    packet.flags = kPadpFirst | kPadpLast;
    writePacket(packet);
}

void PadpLink_t::settle(std::chrono::milliseconds window) {
    m_settleUntil = steady_clock::now() + window;
}

} // namespace dlp
