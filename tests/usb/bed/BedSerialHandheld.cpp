#include "BedSerialHandheld.h"

#include "SerialHandheld.h"

#include <exception>
#include <utility>

namespace bed {

SerialHandheld_t::SerialHandheld_t(std::string label, std::function<void()> wake)
    : m_line(std::move(label), wake), m_wake(std::move(wake)) {}

SerialHandheld_t::~SerialHandheld_t() {
    stop();
}

void SerialHandheld_t::start(sim::Simulator& simulator, const sim::Faults& faults) {
    m_thread = std::thread(&SerialHandheld_t::play, this, std::ref(simulator), faults);
}

void SerialHandheld_t::stop() {
    m_line.close();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialHandheld_t::play(sim::Simulator& simulator, sim::Faults faults) {
    // A USB line has no rate: the handheld's tells one, and nothing follows from it.
    sim::SerialSetup setup;
    setup.stack = sim::Stack::Slp;
    sim::SerialReport report;
    try {
        sim::playSerial(simulator, m_line.handheldEnd(), nullptr, false, setup, faults, report, {});
    } catch (const std::exception& e) {
        m_failure = e.what();
    }
    m_problems = report.problems;
    m_requests = simulator.requests();
    m_records = simulator.recordsRead();
    m_ended = simulator.ended();
    m_finished = true;
    if (m_wake)
        m_wake();
}

} // namespace bed
