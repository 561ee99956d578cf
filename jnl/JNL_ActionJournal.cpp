#include "jnl/JNL_ActionJournal.h"

namespace jnl {

namespace {

// Makes record() keep the changes an undo makes aside, for as long as the object lives.
class Capture_t {
public:
    Capture_t(std::vector<std::unique_ptr<Action_t>>*& slot, std::vector<std::unique_ptr<Action_t>>& into)
        : m_slot(slot), m_previous(slot) {
        m_slot = &into;
    }
    ~Capture_t() { m_slot = m_previous; }
    Capture_t(const Capture_t&) = delete;
    Capture_t& operator=(const Capture_t&) = delete;

private:
    std::vector<std::unique_ptr<Action_t>>*& m_slot;
    std::vector<std::unique_ptr<Action_t>>* m_previous;
};

} // namespace

void ActionJournal_t::record(const Action_t& action) {
    if (m_undoing) {
        m_undoing->push_back(action.clone());
        return;
    }
    m_actions.push_back(action.clone());
    if (m_observer)
        m_observer->recorded(*this);
}

bool ActionJournal_t::transactionOpen() const {
    for (auto it = m_actions.rbegin(); it != m_actions.rend(); ++it) {
        if ((*it)->isTransactionComplete())
            return false;
        if ((*it)->isStartTransaction())
            return true;
    }
    return false;
}

bool ActionJournal_t::undoLastTransaction() {
    if (transactionOpen())
        throw TransactionOpen_t("JNL_ActionJournal.cpp", 29);
    std::size_t start = m_actions.size();
    while (start > 0 && !m_actions[start - 1]->isStartTransaction())
        --start;
    if (start == 0)
        return false;
    --start; // the start marker itself

    std::vector<std::unique_ptr<Action_t>> changes;
    try {
        const Capture_t capture(m_undoing, changes);
        for (std::size_t i = m_actions.size(); i > start; --i)
            m_actions[i - 1]->undo();
    } catch (...) {
        // Put back what was undone, newest change first; those changes are not kept either.
        std::vector<std::unique_ptr<Action_t>> discarded;
        const Capture_t capture(m_undoing, discarded);
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            (*it)->undo();
        throw;
    }
    m_actions.resize(start);
    return true;
}

} // namespace jnl
