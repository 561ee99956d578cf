#ifndef JNL_JNL_ACTION_H
#define JNL_JNL_ACTION_H

#include <memory>

namespace jnl {

// An undoable change recorded in a journal.
class Action_t {
public:
    virtual ~Action_t() = default;
    virtual void undo() = 0;
    virtual bool isTransactionComplete() const { return false; }
    virtual bool isStartTransaction() const { return false; }
    virtual std::unique_ptr<Action_t> clone() const = 0;
};

} // namespace jnl

#endif
