// The conduit's entry points and the HotSync run.
#include "app/AppErrors.h"
#include "app/ConduitApi.h"
#include "app/LogFailure.h"
#include "app/OutcomeRecorder.h"
#include "app/PalmDatabase.h"
#include "app/Settings.h"
#include "glo/GLO_Identity.h"
#include "glo/GLO_ReplacingFile.h"
#include "nav/NAV_Database.h"
#include "plm/PLM_Platform.h"
#include "rec/REC_DatabaseWriter.h"
#include "rec/REC_FileHeader.h"
#include "win/WIN_FaultTranslation.h"

#include <cstring>
#include <ios>
#include <system_error>

namespace {

constexpr const char* kSource = "Conduit.cpp";

int32_t syncTypeOf(const void* syncProperties) {
    int32_t type = 0;
    std::memcpy(&type, static_cast<const char*>(syncProperties) + kSyncTypeOffset, sizeof type);
    return type;
}

const char* userNameOf(const void* syncProperties) {
    return static_cast<const char*>(syncProperties) + kUserNameOffset;
}

// Writes the record file beside its final place and puts it there only when every byte is on the
// disk, so an existing file is never left half-written and concurrent HotSyncs never mix their
// bytes. A failure of the file raises std::system_error or the stream's failure, which the entry
// point reports as an unknown failure.
void writeDesktopFile(const std::string& path, const nav::Database_t& database) {
    glo::ReplacingFile_t file(path);
    bin::basic_ostream out(&file.buffer());
    out.exceptions(std::ios_base::failbit | std::ios_base::badbit);
    glo::check(out.good(), kSource, 103);
    try {
        rec::FileHeader_t(rec::kConduitWriterVersion).write(out);
        rec::writeDatabase(database, out);
    } catch (const std::ios_base::failure&) {
        // The stream only knows that a write failed; the file knows why (a full disk, say).
        if (const int error = file.writeError())
            throw std::system_error(error, std::generic_category(), "cannot write " + path);
        throw;
    }
    file.commit();
}

// Steps of one HotSync after registration; every failure leaves as an exception.
app::HotSyncEnd_t runHotSync(const void* syncProperties, app::OutcomeRecorder_t& outcome) {
    const app::Settings_t settings(userNameOf(syncProperties));
    if (syncTypeOf(syncProperties) != kActionHandheldToDesktop)
        return app::HotSyncEnd_t::NothingToDo;
    nav::Database_t database(nav::Name_t(""), 3);
    app::importTracks(database, outcome.handheldPlace());
    const std::string path = settings.FileName();
    outcome.desktopFile(path);
    writeDesktopFile(path, database);
    outcome.written(database);
    return app::HotSyncEnd_t::Finished;
}

// Unregisters after a failure; the result does not matter then.
void abandon(uint32_t conduitHandle) {
    plm::syncManager().unregisterConduit(conduitHandle);
}

void copyName(char* buffer, std::size_t length) {
    std::memset(buffer, 0, length);
    std::strncpy(buffer, glo::ConduitName, length - 1);
}

} // namespace

// Every way out also goes into the outcome a host may listen on (HostInterface.h); the log entries
// and results are the same whether anyone listens or not.
PATHLET_EXPORT int32_t OpenConduit(PathletProgressFn progress, const void* syncProperties) {
    app::OutcomeRecorder_t outcome;
    if (!progress)
        return outcome.ended(app::HotSyncEnd_t::NoCallback, -1);
    plm::HotSyncLog_t& log = plm::hotSyncLog();
    uint32_t conduitHandle = 0;
    log.logEntry("", app::kLogStart, 0);
    if (const int32_t code = plm::syncManager().registerConduit(&conduitHandle)) {
        plm::syncManager().unregisterConduit(conduitHandle);
        log.logEntry(glo::ConduitName, app::kLogAbort, 0);
        return outcome.ended(app::HotSyncEnd_t::RegisterRefused, code);
    }
    app::HotSyncEnd_t end = app::HotSyncEnd_t::Finished;
    try {
        win::translatingFaults([&] { end = runHotSync(syncProperties, outcome); });
    } catch (const app::ConError_t& e) {
        abandon(conduitHandle);
        app::LogFailure(e.source(), e.line(), e.message());
        return outcome.failed(e.code(), e.source(), e.line(), e.message());
    } catch (const glo::Exception_t& e) {
        abandon(conduitHandle);
        app::LogFailure(e.source(), e.line(), e.message());
        return outcome.failed(-1, e.source(), e.line(), e.message());
    } catch (...) {
        abandon(conduitHandle);
        app::LogFailure(kSource, 123, "");
        return outcome.failed(-1, kSource, 123, "");
    }
    const int32_t result = plm::syncManager().unregisterConduit(conduitHandle);
    log.logEntry(glo::ConduitName, result == 0 ? app::kLogFinish : app::kLogAbort, 0);
    return outcome.ended(end, result);
}

PATHLET_EXPORT int32_t GetConduitName(char* buffer, uint16_t length) {
    if (buffer && length > 0)
        copyName(buffer, length);
    return 0;
}

PATHLET_EXPORT uint32_t GetConduitVersion() {
    return static_cast<uint32_t>(glo::InterfaceVersion);
}

PATHLET_EXPORT int32_t GetConduitInfo(int32_t kind, const void* request, void* output,
                                      const uint32_t* outputSize) {
    if (!output)
        return kErrNoOutput;
    if (!outputSize)
        return kErrNoOutputSize;
    switch (kind) {
    case 0: {
        if (!request)
            return kErrNoRecord;
        uint32_t words[2];
        std::memcpy(words, request, sizeof words);
        if (words[0] != 1 || words[1] != 80)
            return kErrBadRequest;
        if (*outputSize > 0)
            copyName(static_cast<char*>(output), *outputSize);
        return 0;
    }
    case 1:
    case 2: {
        if (*outputSize != sizeof(int32_t))
            return kErrBadOutputSize;
        const int32_t value = kind == 1 ? glo::FrameworkVersion : glo::DefaultAction;
        std::memcpy(output, &value, sizeof value);
        return 0;
    }
    default:
        return kErrUnknownInfoKind;
    }
}

PATHLET_EXPORT int32_t ConfigureConduit(void*) {
    return 0;
}
