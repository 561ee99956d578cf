#include "nav/NAV_Broadcaster.h"

#include "glo/GLO_Exception.h"

namespace nav {

void Broadcaster_t::broadcast(const std::function<void(DatabaseListener_t&)>& notify) {
    if (!m_enabled)
        return;
    glo::check(!m_busy, "NAV_Broadcaster.cpp", 695);
    m_busy = true;
    m_pendingAdditions.clear();
    m_pendingRemovals.clear();
    // Ends the broadcast however it ends: a listener that throws must not leave the broadcaster
    // busy, or every later change would fail.
    struct EndOfBroadcast_t {
        Broadcaster_t& broadcaster;
        ~EndOfBroadcast_t() {
            broadcaster.m_busy = false;
            broadcaster.m_listeners.insert(broadcaster.m_pendingAdditions.begin(),
                                           broadcaster.m_pendingAdditions.end());
            for (DatabaseListener_t* listener : broadcaster.m_pendingRemovals)
                broadcaster.m_listeners.erase(listener);
        }
    } end{*this};
    for (DatabaseListener_t* listener : m_listeners)
        notify(*listener);
}

void Broadcaster_t::broadcast1(uint32_t value) {
    broadcast([&](DatabaseListener_t& l) { l.notify1(value); });
}
void Broadcaster_t::broadcast2(uint32_t value) {
    broadcast([&](DatabaseListener_t& l) { l.notify2(value); });
}
void Broadcaster_t::broadcast3() {
    broadcast([](DatabaseListener_t& l) { l.notify3(); });
}
void Broadcaster_t::broadcast4(uint32_t value) {
    broadcast([&](DatabaseListener_t& l) { l.notify4(value); });
}
void Broadcaster_t::trackErased(const TrackId_t& id) {
    broadcast([&](DatabaseListener_t& l) { l.trackErased(id); });
}
void Broadcaster_t::trackInserted(const TrackId_t& id, const Track_t& track) {
    broadcast([&](DatabaseListener_t& l) { l.trackInserted(id, track); });
}
void Broadcaster_t::transactionStarted() {
    broadcast([](DatabaseListener_t& l) { l.transactionStarted(); });
}
void Broadcaster_t::transactionComplete(const ChangedKinds_t& kinds) {
    broadcast([&](DatabaseListener_t& l) { l.transactionComplete(kinds); });
}

void Broadcaster_t::subscribe(DatabaseListener_t* listener) {
    if (m_busy) {
        m_pendingRemovals.erase(listener);
        m_pendingAdditions.insert(listener);
    } else {
        m_listeners.insert(listener);
    }
}

void Broadcaster_t::unsubscribe(DatabaseListener_t* listener) {
    if (m_busy) {
        m_pendingAdditions.erase(listener);
        m_pendingRemovals.insert(listener);
    } else {
        m_listeners.erase(listener);
    }
}

} // namespace nav
