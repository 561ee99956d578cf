#ifndef JNL_JNL_ACTIONJOURNAL_H
#define JNL_JNL_ACTIONJOURNAL_H

#include "jnl/JNL_Action.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace jnl {

class ActionJournal_t;

// Told after every recording.
class JournalObserver_t {
public:
    virtual ~JournalObserver_t() = default;
    virtual void recorded(ActionJournal_t& journal) = 0;
};

// The recorded actions, oldest first. Keeps its own copies.
class ActionJournal_t {
public:
    void record(const Action_t& action);
    const std::vector<std::unique_ptr<Action_t>>& actions() const { return m_actions; }
    void setObserver(JournalObserver_t* observer) { m_observer = observer; }

    // Undoes the newest transaction (from its last action back to its start marker) and removes
    // its actions. Returns false when the journal holds no complete transaction.
    bool undoLastTransaction();

private:
    std::vector<std::unique_ptr<Action_t>> m_actions;
    JournalObserver_t* m_observer = nullptr;
};

// Base of databases whose changes can be recorded; no journal means no recording.
class Database_t {
public:
    virtual ~Database_t() = default;
    ActionJournal_t* journal() const { return m_journal; }
    void attachJournal(ActionJournal_t* journal) { m_journal = journal; }

protected:
    Database_t() = default;

private:
    ActionJournal_t* m_journal = nullptr;
    [[maybe_unused]] uint32_t m_reserved = 0;
};

} // namespace jnl

#endif
