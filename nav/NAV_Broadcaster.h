#ifndef NAV_NAV_BROADCASTER_H
#define NAV_NAV_BROADCASTER_H

#include "nav/NAV_Identifiers.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <set>

namespace nav {

class Track_t;

// The kinds of database objects whose tables a transaction changed; kind 2 is the track table.
using ChangedKinds_t = std::bitset<6>;
constexpr std::size_t kTrackKind = 2;

// Receives the database's change notifications. Every operation does nothing by default.
class DatabaseListener_t {
public:
    virtual ~DatabaseListener_t() = default;
    virtual void notify1(uint32_t) {}
    virtual void notify2(uint32_t) {}
    virtual void notify3() {}
    virtual void notify4(uint32_t) {}
    virtual void trackErased(const TrackId_t&) {}
    virtual void trackInserted(const TrackId_t&, const Track_t&) {}
    virtual void transactionStarted() {}
    virtual void transactionComplete(const ChangedKinds_t&) {}
};

// Sends notifications to its listeners in address order. A broadcast started while one runs
// (a listener changing the database) is an assertion; listeners that subscribe or leave during a
// broadcast take effect when it ends.
class Broadcaster_t {
public:
    virtual void broadcast1(uint32_t value);
    virtual void broadcast2(uint32_t value);
    virtual void broadcast3();
    virtual void broadcast4(uint32_t value);

    void trackErased(const TrackId_t& id);
    void trackInserted(const TrackId_t& id, const Track_t& track);
    void transactionStarted();
    void transactionComplete(const ChangedKinds_t& kinds);

    void subscribe(DatabaseListener_t* listener);
    void unsubscribe(DatabaseListener_t* listener);
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool busy() const { return m_busy; }

protected:
    ~Broadcaster_t() = default;

private:
    void broadcast(const std::function<void(DatabaseListener_t&)>& notify);

    bool m_busy = false;
    std::set<DatabaseListener_t*> m_listeners;
    std::set<DatabaseListener_t*> m_pendingAdditions;
    std::set<DatabaseListener_t*> m_pendingRemovals;
    bool m_enabled = true;
};

// The broadcaster as a database member.
class DatabaseBroadcaster_t final : public Broadcaster_t {};

} // namespace nav

#endif
