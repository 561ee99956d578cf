#ifndef TESTS_APP_CONDUITFIXTURE_H
#define TESTS_APP_CONDUITFIXTURE_H

#include "app/HostInterface.h"
#include "plm/memory/PLM_MemoryHandheld.h"
#include "plm/memory/PLM_MemoryServices.h"

#include "synth/SYN_TrackLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

// Installs, as the host's context, a HotSync platform held in memory, a fixed clock and a message
// box that records; everything is put back when the test ends.
class ConduitFixture : public ::testing::Test {
protected:
    static constexpr int32_t kNow = 0x11223344;

    ConduitFixture() { messages().clear(); }

    static std::vector<std::string>& messages() {
        static std::vector<std::string> shown;
        return shown;
    }

    void setTrackDb(std::vector<std::string> records) { handheld.addDatabase("TrackDB", std::move(records)); }

    // The records of several logs, one after the other.
    static std::vector<std::string> recordsOf(const std::vector<synth::TrackLog_t>& logs) {
        std::vector<std::string> records;
        for (const synth::TrackLog_t& log : logs)
            for (std::string& record : synth::encodeTrackLog(log))
                records.push_back(std::move(record));
        return records;
    }

    // A log of `count` timed points at latitudes 1000, 1002, ... (no segment bits).
    static synth::TrackLog_t simpleLog(const std::string& name, int count, uint16_t perRecord = 100,
                                       uint8_t color = 0) {
        synth::TrackLog_t log;
        log.name = name;
        log.colorCode = color;
        log.pointsPerRecord = perRecord;
        for (int i = 0; i < count; ++i)
            log.points.push_back({1000 + 2 * i, 5000 + 2 * i, static_cast<uint32_t>(100 + i), 0, 0});
        return log;
    }

    static app::HostServices_t services(plm::Platform_t platform) {
        app::HostServices_t installed;
        installed.platform = platform;
        installed.clock = []() -> int64_t { return kNow; };
        installed.messageBox = [](const std::string& text, unsigned) { messages().push_back(text); };
        return installed;
    }

    plm::MemoryHotSyncLog_t log;
    plm::MemoryHandheld_t handheld;
    plm::MemoryUserData_t users;
    plm::MemoryConduitManager_t conduits;
    app::HostContext_t context{services({&log, &handheld, &users, &conduits})};
};

// The one-record track log of the worked example: T1, palette code 3, two points.
inline std::string workedExampleRecord() {
    const unsigned char bytes[66] = {
        0x26, 0x00, 0x02, 0x00, 0x0c, 0x00, 0x02, 0x00, 0x00, 0x03, 0,    0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0x01, 0,    0,    0,    0x26, 0x00, 0x00, 0x00,
        0x2a, 0x00, 0x00, 0x00, 0x54, 0x31, 0x00, 0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x08, 0x01,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

} // namespace testsupport

#endif
