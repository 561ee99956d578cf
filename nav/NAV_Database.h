#ifndef NAV_NAV_DATABASE_H
#define NAV_NAV_DATABASE_H

#include "jnl/JNL_ActionJournal.h"
#include "nav/NAV_BasicTable.h"
#include "nav/NAV_Broadcaster.h"
#include "nav/NAV_Identifiers.h"
#include "nav/NAV_Route.h"
#include "nav/NAV_Track.h"
#include "nav/NAV_Waypoint.h"

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace nav {

using WaypointTable_t = BasicTable_t<WaypointId_t, Waypoint_t>;
using RouteTable_t = BasicTable_t<RouteId_t, Route_t>;
using TrackTable_t = BasicTable_t<TrackId_t, Track_t>;

// An entry of the database's L set: two numbers, three texts and a list of numbers.
struct LEntry_t {
    uint32_t number1 = 0;
    uint32_t number2 = 0;
    std::string text1, text2, text3;
    std::vector<uint32_t> numbers;
    friend bool operator<(const LEntry_t& a, const LEntry_t& b) {
        return std::tie(a.number1, a.number2, a.text1, a.text2, a.text3, a.numbers) <
               std::tie(b.number1, b.number2, b.text1, b.text2, b.text3, b.numbers);
    }
};

// Something that refers to one track; dropped when that track is erased.
class TrackReference_t {
public:
    virtual ~TrackReference_t() = default;
    virtual const TrackId_t& track() const = 0;
};

// The in-memory geographic database: waypoint, route and track tables, the further lists the
// desktop file carries, and transactions whose changes are broadcast to listeners and, with a
// journal attached, recorded for undo.
class Database_t : public jnl::Database_t {
public:
    // @exception glo::Assert_t (line 170) for a version below 3.
    Database_t(const Name_t& name, uint32_t version);
    ~Database_t() override;
    Database_t(const Database_t&) = delete;
    Database_t& operator=(const Database_t&) = delete;

    // Renames id to its entry name, a blank and the track counter in at least three digits,
    // advancing the counter on every attempt, until no stored track has that name.
    void makeUniqueTrackId(TrackId_t& id);
    // @exception KeyExists_t (line 1572) when id is taken; nothing changes then.
    void insertTrack(const TrackId_t& id, const Track_t& track);
    // The same, taking the track's points instead of copying them.
    void insertTrack(const TrackId_t& id, Track_t&& track);
    // Returns the number of tracks erased (0 or 1); a missing id opens no transaction.
    std::size_t eraseTrack(const TrackId_t& id);

    // Opens the transaction on its first change. @exception std::out_of_range for a kind above 5.
    void markChanged(std::size_t kind);
    // Closes the open transaction, if any, and announces what it changed.
    void endTransaction();

    WaypointTable_t& waypoints() { return m_waypoints; }
    const WaypointTable_t& waypoints() const { return m_waypoints; }
    RouteTable_t& routes() { return m_routes; }
    const RouteTable_t& routes() const { return m_routes; }
    const TrackTable_t& tracks() const { return m_tracks; }
    TrackTable_t& tracks() { return m_tracks; }
    std::vector<std::pair<RouteId_t, uint8_t>>& routeFlagList() { return m_routeFlagList; }
    const std::vector<std::pair<RouteId_t, uint8_t>>& routeFlagList() const { return m_routeFlagList; }
    std::set<LEntry_t>& recordSet() { return m_recordSet; }
    const std::set<LEntry_t>& recordSet() const { return m_recordSet; }
    std::vector<std::pair<std::string, uint8_t>>& nameFlagList() { return m_nameFlagList; }
    const std::vector<std::pair<std::string, uint8_t>>& nameFlagList() const { return m_nameFlagList; }

    const ChangedKinds_t& changedKinds() const { return m_changedKinds; }
    Broadcaster_t& broadcaster() { return m_broadcaster; }
    void setTrackReference(std::unique_ptr<TrackReference_t> reference) {
        m_trackReference = std::move(reference);
    }
    const TrackReference_t* trackReference() const { return m_trackReference.get(); }
    uint32_t trackCounter() const { return m_trackCounter; }
    void setTrackCounter(uint32_t counter) { m_trackCounter = counter; }
    const Name_t& name() const { return m_name; }
    uint32_t version() const { return m_version; }

private:
    template <class TrackArg> void insertTrackImpl(const TrackId_t& id, TrackArg&& track);

    // Members are destroyed in reverse order: name, reference, broadcaster, the lists, then the
    // track, route and waypoint tables.
    WaypointTable_t m_waypoints;
    RouteTable_t m_routes;
    TrackTable_t m_tracks;
    std::vector<std::pair<RouteId_t, uint8_t>> m_routeFlagList;
    std::set<LEntry_t> m_recordSet;
    std::vector<std::pair<std::string, uint8_t>> m_nameFlagList;
    ChangedKinds_t m_changedKinds;
    DatabaseBroadcaster_t m_broadcaster;
    std::unique_ptr<TrackReference_t> m_trackReference;
    [[maybe_unused]] uint32_t m_firstCounter = 1;
    [[maybe_unused]] uint32_t m_secondCounter = 1;
    uint32_t m_trackCounter = 1;
    Name_t m_name;
    uint32_t m_version;
};

} // namespace nav

#endif
