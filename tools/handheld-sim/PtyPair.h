#ifndef TOOLS_HANDHELDSIM_PTYPAIR_H
#define TOOLS_HANDHELDSIM_PTYPAIR_H

// A pseudo-terminal pair for a simulated serial handheld: the desktop opens the far end's path
// as it would /dev/ttyS0, and the handheld reads and writes the master. The master also sees the
// line's settings, so the rate the desktop sets can be checked.
#include <chrono>
#include <string>

namespace sim {

class PtyPair {
public:
    // The far end starts raw at 9600 and closed. @exception std::runtime_error when no pair can be had.
    PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    ~PtyPair();

    const std::string& path() const { return m_path; }
    // Whether the far end is open now.
    bool farEndOpen() const;
    // Waits until the far end is open; false when `timeout` passes first.
    bool awaitFarEnd(std::chrono::milliseconds timeout) const;
    // The master's descriptor, now the caller's to close.
    int takeMaster();

private:
    int m_master = -1;
    std::string m_path;
};

} // namespace sim

#endif
