#ifndef JNL_JNL_ACTIONJOURNAL_H
#define JNL_JNL_ACTIONJOURNAL_H

#include "glo/GLO_Exception.h"
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

// Undo was asked for while the newest transaction is still open: its actions are not all known.
class TransactionOpen_t : public glo::Exception_t {
public:
    TransactionOpen_t(const char* source, int line)
        : glo::Exception_t(source, line, "The last change is still in progress and cannot be undone yet.") {}
};

// The recorded actions, oldest first. Keeps its own copies.
class ActionJournal_t {
public:
    void record(const Action_t& action);
    const std::vector<std::unique_ptr<Action_t>>& actions() const { return m_actions; }
    void setObserver(JournalObserver_t* observer) { m_observer = observer; }

    // True when the newest transaction has started and not yet completed.
    bool transactionOpen() const;

    // Undoes the newest transaction, from its last action back to its start marker, and then
    // removes its actions; what the undo itself changes is not recorded, so a second call undoes
    // the transaction before it. Returns false when the journal holds no transaction.
    // If an action fails to undo, the actions already undone are redone, the journal keeps the
    // whole transaction, and the failure passes on: the undo can be tried again.
    // @exception TransactionOpen_t (line 29) while the newest transaction is still open.
    bool undoLastTransaction();

private:
    std::vector<std::unique_ptr<Action_t>> m_actions;
    // While an undo runs: where record() keeps the changes the undo makes.
    std::vector<std::unique_ptr<Action_t>>* m_undoing = nullptr;
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
