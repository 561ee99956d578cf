#include "jnl/JNL_ActionJournal.h"

namespace jnl {

void ActionJournal_t::record(const Action_t& action) {
    m_actions.push_back(action.clone());
    if (m_observer)
        m_observer->recorded(*this);
}

bool ActionJournal_t::undoLastTransaction() {
    std::size_t start = m_actions.size();
    while (start > 0 && !m_actions[start - 1]->isStartTransaction())
        --start;
    if (start == 0)
        return false;
    // Take the transaction out first: undoing changes the database, which may record again.
    std::vector<std::unique_ptr<Action_t>> undone;
    for (std::size_t i = start - 1; i < m_actions.size(); ++i)
        undone.push_back(std::move(m_actions[i]));
    m_actions.resize(start - 1);
    for (auto it = undone.rbegin(); it != undone.rend(); ++it)
        (*it)->undo();
    return true;
}

} // namespace jnl
