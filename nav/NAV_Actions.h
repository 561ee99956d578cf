#ifndef NAV_NAV_ACTIONS_H
#define NAV_NAV_ACTIONS_H

#include "jnl/JNL_Action.h"
#include "nav/NAV_Identifiers.h"
#include "nav/NAV_Track.h"

namespace nav {

class Database_t;

// Marks the start of a transaction; undoing it closes the transaction that the undo opened.
class StartTransaction_t : public jnl::Action_t {
public:
    explicit StartTransaction_t(Database_t& database) : m_database(&database) {}
    void undo() override;
    bool isStartTransaction() const override { return true; }
    std::unique_ptr<jnl::Action_t> clone() const override {
        return std::make_unique<StartTransaction_t>(*this);
    }

private:
    Database_t* m_database;
};

// Marks the end of a transaction.
class TransactionComplete_t : public jnl::Action_t {
public:
    void undo() override {}
    bool isTransactionComplete() const override { return true; }
    std::unique_ptr<jnl::Action_t> clone() const override {
        return std::make_unique<TransactionComplete_t>(*this);
    }
};

// A track was inserted; undo erases it.
class TrkInsert_t : public jnl::Action_t {
public:
    TrkInsert_t(Database_t& database, const TrackId_t& id) : m_database(&database), m_id(id) {}
    void undo() override;
    std::unique_ptr<jnl::Action_t> clone() const override { return std::make_unique<TrkInsert_t>(*this); }

private:
    Database_t* m_database;
    TrackId_t m_id;
};

// A track was erased; undo inserts it again.
class TrkErase_t : public jnl::Action_t {
public:
    TrkErase_t(Database_t& database, const TrackId_t& id, const Track_t& track)
        : m_database(&database), m_id(id), m_track(track) {}
    void undo() override;
    std::unique_ptr<jnl::Action_t> clone() const override { return std::make_unique<TrkErase_t>(*this); }

private:
    Database_t* m_database;
    TrackId_t m_id;
    Track_t m_track;
};

} // namespace nav

#endif
