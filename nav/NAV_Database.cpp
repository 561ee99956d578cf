#include "nav/NAV_Database.h"

#include "nav/NAV_Actions.h"

#include <iomanip>
#include <sstream>
#include <stdexcept>

namespace nav {

namespace {
constexpr const char* kSource = "NAV_Database.cpp";
} // namespace

Database_t::Database_t(const Name_t& name, uint32_t version) : m_name(name), m_version(version) {
    m_routeFlagList.reserve(1);
    m_nameFlagList.emplace_back(std::string(), uint8_t{1});
    glo::check(version >= 3, kSource, 170);
}

Database_t::~Database_t() = default;

void Database_t::makeUniqueTrackId(TrackId_t& id) {
    const std::string base = id.str();
    do {
        std::ostringstream text;
        text << base << ' ' << std::setw(3) << std::setfill('0') << m_trackCounter;
        id.setText(text.str());
        ++m_trackCounter;
    } while (m_tracks.find(id) != m_tracks.end());
}

void Database_t::insertTrack(const TrackId_t& id, const Track_t& track) {
    insertTrackImpl(id, track);
}

void Database_t::insertTrack(const TrackId_t& id, Track_t&& track) {
    insertTrackImpl(id, std::move(track));
}

template <class TrackArg> void Database_t::insertTrackImpl(const TrackId_t& id, TrackArg&& track) {
    if (m_tracks.find(id) != m_tracks.end())
        throw KeyExists_t(id, kSource, 1572);
    markChanged(kTrackKind);
    if (jnl::ActionJournal_t* log = journal())
        log->record(TrkInsert_t(*this, id));
    const auto inserted = m_tracks.emplace(id, std::forward<TrackArg>(track));
    glo::check(inserted.second, kSource, 1584);
    m_broadcaster.trackInserted(id, inserted.first->second);
}

std::size_t Database_t::eraseTrack(const TrackId_t& id) {
    auto found = m_tracks.find(id);
    if (found == m_tracks.end())
        return 0;
    markChanged(kTrackKind);
    if (jnl::ActionJournal_t* log = journal())
        log->record(TrkErase_t(*this, found->first, found->second));
    if (m_trackReference) {
        const TrackId_t& referred = m_trackReference->track();
        if (!(referred < id) && !(id < referred))
            m_trackReference.reset();
    }
    const TrackId_t erased = found->first;
    m_tracks.erase(found);
    m_broadcaster.trackErased(erased);
    return 1;
}

void Database_t::markChanged(std::size_t kind) {
    if (kind >= m_changedKinds.size())
        throw std::out_of_range("invalid bitset<N> position");
    if (m_changedKinds.none()) {
        m_broadcaster.transactionStarted();
        if (jnl::ActionJournal_t* log = journal())
            log->record(StartTransaction_t(*this));
    }
    m_changedKinds.set(kind);
}

void Database_t::endTransaction() {
    if (m_changedKinds.none())
        return;
    m_broadcaster.transactionComplete(m_changedKinds);
    jnl::ActionJournal_t* log = journal();
    if (log && !log->actions().empty() && !log->actions().back()->isTransactionComplete())
        log->record(TransactionComplete_t());
    m_changedKinds.reset();
}

void StartTransaction_t::undo() {
    m_database->endTransaction();
}
void TrkInsert_t::undo() {
    m_database->eraseTrack(m_id);
}
void TrkErase_t::undo() {
    m_database->insertTrack(m_id, m_track);
}

} // namespace nav
