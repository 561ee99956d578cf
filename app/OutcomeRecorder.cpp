#include "app/OutcomeRecorder.h"

#include "app/AppErrors.h"
#include "win/WIN_Exception.h"

#include <exception>
#include <system_error>

namespace app {

namespace {

HotSyncOutcome_t* g_listener = nullptr;

// The class of the exception being handled, by rethrowing it here: the handler that called this
// goes on handling the same object afterwards, so nothing about the failure changes.
void classifyHandled(HotSyncFailure_t& failure) {
    try {
        throw;
    } catch (const ConError_t& e) {
        failure.kind = FailureKind_t::SyncManager;
        failure.syncManagerCode = e.code();
    } catch (const glo::OutOfRange_t&) {
        failure.kind = FailureKind_t::OutOfRange;
    } catch (const glo::InvalidMBCharacter_t&) {
        failure.kind = FailureKind_t::InvalidText;
    } catch (const glo::Assert_t&) {
        failure.kind = FailureKind_t::Assertion;
    } catch (const glo::Exception_t&) {
        failure.kind = FailureKind_t::Module;
    } catch (const std::system_error& e) {
        failure.kind = FailureKind_t::System;
        failure.systemError = e.code();
        failure.detail = e.what();
    } catch (const win::StructuredException_t& e) {
        failure.kind = FailureKind_t::ProcessorFault;
        failure.detail = e.what();
    } catch (const std::exception& e) {
        failure.kind = FailureKind_t::Standard;
        failure.detail = e.what();
    } catch (...) {
        failure.kind = FailureKind_t::Unknown;
    }
}

} // namespace

HotSyncOutcome_t* setOutcomeListener(HotSyncOutcome_t* outcome) {
    HotSyncOutcome_t* const previous = g_listener;
    g_listener = outcome;
    return previous;
}

OutcomeRecorder_t::OutcomeRecorder_t() : m_outcome(g_listener) {
    if (m_outcome)
        *m_outcome = HotSyncOutcome_t();
}

int32_t OutcomeRecorder_t::ended(HotSyncEnd_t end, int32_t result) {
    if (m_outcome) {
        m_outcome->end = end;
        m_outcome->result = result;
    }
    return result;
}

void OutcomeRecorder_t::desktopFile(const std::string& path) {
    if (m_outcome)
        m_outcome->desktopFile = path;
}

void OutcomeRecorder_t::written(const nav::Database_t& database) {
    if (!m_outcome)
        return;
    // The same counts the file's track records carry.
    uint64_t points = 0;
    for (const auto& [id, track] : database.tracks())
        points += static_cast<uint32_t>(track.summary().pointCount);
    m_outcome->tracks = database.tracks().size();
    m_outcome->points = points;
}

int32_t OutcomeRecorder_t::failed(int32_t result, const char* source, int line, const std::string& message) {
    if (m_outcome) {
        HotSyncFailure_t failure;
        failure.source = source ? source : "";
        failure.line = line;
        failure.message = message;
        classifyHandled(failure);
        failure.handheld = std::move(m_place);
        m_outcome->failure = std::move(failure);
    }
    return ended(HotSyncEnd_t::Failed, result);
}

} // namespace app
