// What a HotSync did, as the values a listening host receives: how it ended, the failure as the
// failure line has it, the file written and what it holds, and where in the handheld decoding
// refused a value. The log entries stay exactly what they are without a listener.
#include "app/ConduitApi.h"
#include "app/HostInterface.h"
#include "app/LogFailure.h"
#include "plm/PLM_SyncErrors.h"
#include "rec/REC_DatabaseReader.h"

#include "ConduitFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;
using Entry = plm::MemoryHotSyncLog_t::Entry;
using app::HotSyncEnd_t;
using app::RefusedField_t;

namespace {

void progress(const char*) {}

const std::vector<Entry> kGoodRun = {{"", 19}, {"Pathlet", 20}};

std::vector<Entry> failure(const std::string& line) {
    return {{"", 19}, {"Pathlet", 21}, {line, 22}};
}

class HotSyncOutcome : public testsupport::ConduitFixture {
protected:
    HotSyncOutcome() {
        fs::remove_all(m_root);
        fs::create_directories(m_root / "alice" / "Pathlet");
        users.setRoot(m_root.string() + "/");
        users.addUser("Alice", 1, "alice");
    }
    ~HotSyncOutcome() override { fs::remove_all(m_root); }

    app::HostServices_t listeningServices() {
        app::HostServices_t installed = services({&log, &handheld, &users, &conduits});
        installed.outcome = &outcome;
        return installed;
    }

    int32_t sync(int32_t type = kActionHandheldToDesktop, PathletProgressFn callback = &progress) {
        log.entries.clear();
        std::vector<char> properties(1024, 0);
        std::memcpy(properties.data(), &type, sizeof type);
        std::strcpy(properties.data() + kUserNameOffset, "Alice");
        return OpenConduit(callback, properties.data());
    }

    std::string fileOf() const { return (m_root / "alice" / "Pathlet" / "Tracks.tlx").string(); }

    // The failure of the last run, which must have failed.
    const app::HotSyncFailure_t& failed() const {
        EXPECT_EQ(outcome.end, HotSyncEnd_t::Failed);
        if (!outcome.failure)
            throw std::logic_error("the run did not record a failure");
        return *outcome.failure;
    }

    // The place of the last run's failure in the handheld, which must have been recorded.
    const app::HandheldPlace_t& place() const {
        const app::HotSyncFailure_t& f = failed();
        if (!f.handheld)
            throw std::logic_error("the failure has no place in the handheld");
        return *f.handheld;
    }

    // The failure's source, line and message make exactly the failure line that was logged.
    void expectLoggedAsRecorded() const {
        const app::HotSyncFailure_t& f = failed();
        EXPECT_EQ(log.entries, failure(app::failureLine(f.source.c_str(), f.line, f.message)));
    }

    // A log of `count` points in records of `perRecord` whose point `bad` carries `latitude`.
    static synth::TrackLog_t withLatitude(const std::string& name, int count, uint16_t perRecord, int bad,
                                          int32_t latitude) {
        synth::TrackLog_t made = simpleLog(name, count, perRecord);
        made.points[static_cast<std::size_t>(bad)].latitude = latitude;
        return made;
    }

    // The index of the first record after these logs.
    static uint32_t recordsAfter(const std::vector<synth::TrackLog_t>& logs) {
        return static_cast<uint32_t>(recordsOf(logs).size());
    }

    const fs::path m_root = fs::temp_directory_path() / ("pathlet_outcome_" + std::to_string(::getpid()));
    app::HotSyncOutcome_t outcome;
    app::HostContext_t listening{listeningServices()};
};

} // namespace

TEST_F(HotSyncOutcome, AGoodRunNamesTheFileAndCountsWhatItHolds) {
    synth::TrackLog_t segmented = simpleLog("Segments", 9, 4);
    segmented.points[5].latitude |= 1; // a second track of the same log
    const std::vector<synth::TrackLog_t> logs = {simpleLog("Lake loop", 250, 100), simpleLog("Ridge", 3),
                                                 segmented};
    setTrackDb(recordsOf(logs));

    EXPECT_EQ(sync(), 0);
    EXPECT_EQ(log.entries, kGoodRun);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::Finished);
    EXPECT_FALSE(outcome.failure);
    EXPECT_EQ(outcome.desktopFile, fileOf());
    uint64_t points = 0;
    for (const synth::TrackLog_t& made : logs)
        points += made.points.size();
    EXPECT_EQ(outcome.tracks, logs.size() + 1);
    EXPECT_EQ(outcome.points, points);
    // The counts are those of the file on the disk.
    const rec::TrackCount_t inFile = rec::countTracksInFile(fileOf());
    EXPECT_EQ(outcome.tracks, inFile.tracks);
    EXPECT_EQ(outcome.points, inFile.points);
}

TEST_F(HotSyncOutcome, AnEmptyHandheldWritesAFileOfNoTracks) {
    setTrackDb({});
    EXPECT_EQ(sync(), 0);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::Finished);
    EXPECT_EQ(outcome.desktopFile, fileOf());
    EXPECT_EQ(outcome.tracks, 0u);
    EXPECT_EQ(outcome.points, 0u);
    EXPECT_TRUE(fs::exists(fileOf()));
}

TEST_F(HotSyncOutcome, DoNothingTouchesNoFile) {
    setTrackDb(recordsOf({simpleLog("A", 3)}));
    EXPECT_EQ(sync(kActionDoNothing), 0);
    EXPECT_EQ(log.entries, kGoodRun);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::NothingToDo);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_FALSE(outcome.failure);
    EXPECT_TRUE(outcome.desktopFile.empty());
    EXPECT_EQ(outcome.tracks, 0u);
    EXPECT_FALSE(fs::exists(fileOf()));
}

TEST_F(HotSyncOutcome, ARefusedRegistrationCarriesItsCode) {
    handheld.failCall(plm::HandheldBase_t::Call::Register, 0x4242);
    EXPECT_EQ(sync(), 0x4242);
    EXPECT_EQ(log.entries, (std::vector<Entry>{{"", 19}, {"Pathlet", 21}}));
    EXPECT_EQ(outcome.end, HotSyncEnd_t::RegisterRefused);
    EXPECT_EQ(outcome.result, 0x4242);
    EXPECT_FALSE(outcome.failure);
}

TEST_F(HotSyncOutcome, WithoutACallbackNothingRuns) {
    EXPECT_EQ(sync(kActionHandheldToDesktop, nullptr), -1);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(outcome.end, HotSyncEnd_t::NoCallback);
    EXPECT_EQ(outcome.result, -1);
}

TEST_F(HotSyncOutcome, AFailedUnregisteringEndsAFinishedRunWithItsCode) {
    setTrackDb(recordsOf({simpleLog("A", 3)}));
    handheld.failCall(plm::HandheldBase_t::Call::Unregister, 0x4105);
    EXPECT_EQ(sync(), 0x4105);
    EXPECT_EQ(log.entries, (std::vector<Entry>{{"", 19}, {"Pathlet", 21}}));
    EXPECT_EQ(outcome.end, HotSyncEnd_t::Finished);
    EXPECT_EQ(outcome.result, 0x4105);
    EXPECT_FALSE(outcome.failure);
    EXPECT_EQ(outcome.tracks, 1u);
    EXPECT_EQ(outcome.points, 3u);
}

TEST_F(HotSyncOutcome, NoTrackDbIsASyncManagerFailure) {
    EXPECT_EQ(sync(), plm::kSyncNotFound);
    EXPECT_EQ(log.entries, failure("PALMDATABASE.CPP-64-2.3"));
    const app::HotSyncFailure_t& f = failed();
    EXPECT_EQ(outcome.result, plm::kSyncNotFound);
    EXPECT_EQ(f.kind, app::FailureKind_t::SyncManager);
    EXPECT_EQ(f.syncManagerCode, plm::kSyncNotFound);
    EXPECT_EQ(f.source, "PalmDatabase.cpp");
    EXPECT_EQ(f.line, 64);
    EXPECT_EQ(f.message, "");
    EXPECT_FALSE(f.handheld);
    EXPECT_TRUE(outcome.desktopFile.empty()); // the path is worked out after the handheld is read
    expectLoggedAsRecorded();
}

TEST_F(HotSyncOutcome, AnUnknownUserIsTheModulesOwnFailure) {
    users.failUserId = 1;
    EXPECT_EQ(sync(), -1);
    const app::HotSyncFailure_t& f = failed();
    EXPECT_EQ(f.kind, app::FailureKind_t::Module);
    EXPECT_EQ(f.source, "Settings.h");
    EXPECT_EQ(f.line, 69);
    EXPECT_EQ(f.message, "User Data Error");
    expectLoggedAsRecorded();
}

TEST_F(HotSyncOutcome, AMissingDesktopDirectoryNamesTheFileAndTheSystemError) {
    setTrackDb(recordsOf({simpleLog("A", 3)}));
    fs::remove_all(m_root / "alice" / "Pathlet");
    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(log.entries, failure("CONDUIT.CPP-123-2.3"));
    const app::HotSyncFailure_t& f = failed();
    EXPECT_EQ(f.kind, app::FailureKind_t::System);
    EXPECT_EQ(f.systemError, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(f.detail.empty());
    EXPECT_EQ(f.source, "Conduit.cpp");
    EXPECT_EQ(f.line, 123);
    EXPECT_EQ(f.message, "");
    EXPECT_FALSE(f.handheld);
    EXPECT_EQ(outcome.desktopFile, fileOf());
    EXPECT_EQ(outcome.tracks, 0u);
    expectLoggedAsRecorded();
}

TEST_F(HotSyncOutcome, ALatitudeBeyondThePoleNamesLogRecordPointAndDegrees) {
    const synth::TrackLog_t before = simpleLog("Before", 120, 50);
    const int bad = 118;
    const uint16_t perRecord = 50;
    const synth::TrackLog_t lake = withLatitude("Lake loop", 200, perRecord, bad, synth::semicircles(95.2));
    const uint32_t lakeRecord = recordsAfter({before});
    setTrackDb(recordsOf({before, lake}));

    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(log.entries, failure("GEO_POSITION.CPP-130-2.3"));
    EXPECT_EQ(failed().kind, app::FailureKind_t::OutOfRange);
    EXPECT_EQ(failed().source, "GEO_Position.cpp");
    EXPECT_EQ(failed().line, 130);
    const app::HandheldPlace_t& at = place();
    EXPECT_EQ(at.trackLog, "Lake loop");
    EXPECT_EQ(at.logRecord, lakeRecord);
    EXPECT_EQ(at.record, lakeRecord + bad / perRecord);
    EXPECT_EQ(at.point, static_cast<uint32_t>(bad));
    EXPECT_EQ(at.field, RefusedField_t::Latitude);
    EXPECT_EQ(at.raw, synth::semicircles(95.2));
    EXPECT_NEAR(at.degrees, 95.2, 1e-6);
    EXPECT_TRUE(outcome.desktopFile.empty());
    expectLoggedAsRecorded();

    // South of the other pole, at the log's first point.
    setTrackDb(synth::encodeTrackLog(withLatitude("South", 2, 100, 0, -1073741826)));
    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(place().trackLog, "South");
    EXPECT_EQ(place().record, 0u);
    EXPECT_EQ(place().point, 0u);
    EXPECT_EQ(place().raw, -1073741826);
    EXPECT_LT(place().degrees, -90.0);
}

TEST_F(HotSyncOutcome, AColourCodeWithoutADatabaseColourNamesTheLogsHeader) {
    for (const uint8_t code : {uint8_t{16}, uint8_t{254}}) {
        const synth::TrackLog_t fine = simpleLog("Fine", 3, 2);
        setTrackDb(recordsOf({fine, simpleLog("Odd", 5, 100, code)}));
        EXPECT_EQ(sync(), -1);
        EXPECT_EQ(log.entries, failure("IOG_COLOR108.CPP-62-2.3"));
        EXPECT_EQ(failed().kind, app::FailureKind_t::OutOfRange);
        const app::HandheldPlace_t& at = place();
        EXPECT_EQ(at.trackLog, "Odd");
        EXPECT_EQ(at.logRecord, recordsAfter({fine}));
        EXPECT_EQ(at.record, recordsAfter({fine}));
        EXPECT_FALSE(at.point);
        EXPECT_EQ(at.field, RefusedField_t::ColourCode);
        EXPECT_EQ(at.raw, code);
        expectLoggedAsRecorded();
    }
}

TEST_F(HotSyncOutcome, ATimePast2038NamesItsPointAndSeconds) {
    for (const uint32_t seconds : {1516418048u, 0x90000000u}) {
        const uint16_t perRecord = 10;
        const uint32_t bad = 23;
        synth::TrackLog_t late = simpleLog("Late", 30, perRecord);
        late.points[bad].time = seconds;
        setTrackDb(synth::encodeTrackLog(late));
        EXPECT_EQ(sync(), -1);
        EXPECT_EQ(log.entries, failure("GLO_TIME.CPP-130-2.3"));
        EXPECT_EQ(failed().kind, app::FailureKind_t::OutOfRange);
        const app::HandheldPlace_t& at = place();
        EXPECT_EQ(at.trackLog, "Late");
        EXPECT_EQ(at.logRecord, 0u);
        EXPECT_EQ(at.record, bad / perRecord);
        EXPECT_EQ(at.point, bad);
        EXPECT_EQ(at.field, RefusedField_t::Time);
        EXPECT_EQ(at.raw, seconds);
        expectLoggedAsRecorded();
    }
}

TEST_F(HotSyncOutcome, ANameThatIsNotTextOfTheCodePageNamesItsLog) {
    app::HostServices_t japanese = listeningServices();
    japanese.ansiCodePage = 932;
    const app::HostContext_t context932(japanese);
    ASSERT_EQ(app::startUpModule(), app::StartUp_t::Ready);
    const std::string lone = "Lake \x82"; // a lead byte without the byte that completes it

    // The bad name comes second: comparing it with the first one finds it.
    const synth::TrackLog_t good = simpleLog("Good", 3, 2);
    setTrackDb(recordsOf({good, simpleLog(lone, 2)}));
    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(log.entries, failure("GLO_MBSTRING.CPP-122-2.3"));
    EXPECT_EQ(failed().kind, app::FailureKind_t::InvalidText);
    EXPECT_EQ(place().trackLog, lone);
    EXPECT_EQ(place().logRecord, recordsAfter({good}));
    EXPECT_EQ(place().record, recordsAfter({good}));
    EXPECT_FALSE(place().point);
    EXPECT_EQ(place().field, RefusedField_t::NameText);
    expectLoggedAsRecorded();

    // The bad name comes first: inserting the next track finds it.
    setTrackDb(recordsOf({simpleLog(lone, 2), simpleLog("Good", 3)}));
    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(place().trackLog, lone);
    EXPECT_EQ(place().logRecord, 0u);
    EXPECT_EQ(place().field, RefusedField_t::NameText);

    // Alone, it is never compared: the run succeeds as it always did.
    setTrackDb(recordsOf({simpleLog(lone, 2)}));
    EXPECT_EQ(sync(), 0);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::Finished);
    EXPECT_EQ(outcome.tracks, 1u);
}

TEST_F(HotSyncOutcome, ARecordThatCannotBeReadIsNamed) {
    using Call = plm::HandheldBase_t::Call;
    const uint16_t perRecord = 3;
    const synth::TrackLog_t spanning = simpleLog("Spanning", 7, perRecord);
    setTrackDb(recordsOf({spanning}));

    // The log's second record, which its point `perRecord` needs.
    handheld.failCall(Call::Read, 0x4104, 1);
    EXPECT_EQ(sync(), 0x4104);
    EXPECT_EQ(log.entries, failure("PALMDATABASE.CPP-93-2.3"));
    EXPECT_EQ(failed().kind, app::FailureKind_t::SyncManager);
    EXPECT_EQ(failed().syncManagerCode, 0x4104);
    EXPECT_EQ(place().trackLog, "Spanning");
    EXPECT_EQ(place().logRecord, 0u);
    EXPECT_EQ(place().record, 1u);
    EXPECT_EQ(place().point, perRecord);
    EXPECT_EQ(place().field, RefusedField_t::None);
    expectLoggedAsRecorded();

    // The record that would start the next log: no log yet.
    const uint32_t next = recordsAfter({spanning});
    setTrackDb(recordsOf({spanning, simpleLog("Next", 1)}));
    handheld.failCall(Call::Read, 0x4104, static_cast<int>(next));
    EXPECT_EQ(sync(), 0x4104);
    EXPECT_EQ(place().trackLog, "");
    EXPECT_EQ(place().logRecord, next);
    EXPECT_EQ(place().record, next);
    EXPECT_FALSE(place().point);
    EXPECT_EQ(place().field, RefusedField_t::None);

    // Counting the records is no decoding.
    handheld.failCall(Call::Count, 0x4103, 1);
    EXPECT_EQ(sync(), 0x4103);
    EXPECT_EQ(failed().line, 111);
    EXPECT_FALSE(failed().handheld);
}

TEST_F(HotSyncOutcome, EachRunStartsFromNothing) {
    setTrackDb(synth::encodeTrackLog(withLatitude("Polar", 3, 100, 1, 1073741825)));
    EXPECT_EQ(sync(), -1);
    ASSERT_TRUE(outcome.failure);

    setTrackDb(recordsOf({simpleLog("A", 3)}));
    EXPECT_EQ(sync(), 0);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::Finished);
    EXPECT_FALSE(outcome.failure);
    EXPECT_EQ(outcome.tracks, 1u);

    EXPECT_EQ(sync(kActionDoNothing), 0);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::NothingToDo);
    EXPECT_TRUE(outcome.desktopFile.empty());
    EXPECT_EQ(outcome.tracks, 0u);
    EXPECT_EQ(outcome.points, 0u);

    setTrackDb(synth::encodeTrackLog(withLatitude("Polar", 3, 100, 1, 1073741825)));
    EXPECT_EQ(sync(), -1);
    EXPECT_EQ(sync(kActionHandheldToDesktop, nullptr), -1);
    EXPECT_EQ(outcome.end, HotSyncEnd_t::NoCallback);
    EXPECT_FALSE(outcome.failure);
}

// Without a listener the conduit logs and returns exactly the same; an inner context without one
// leaves the outer's outcome alone and gives it back when it ends.
TEST_F(HotSyncOutcome, NobodyListeningChangesNothing) {
    const std::vector<std::vector<std::string>> handhelds = {
        recordsOf({simpleLog("A", 3), simpleLog("B", 120, 50)}),
        synth::encodeTrackLog(withLatitude("Polar", 3, 100, 2, 1073741825)),
        synth::encodeTrackLog(simpleLog("Odd", 1, 100, 99)),
    };
    for (const std::vector<std::string>& records : handhelds) {
        setTrackDb(records);
        const int32_t heard = sync();
        const std::vector<Entry> heardEntries = log.entries;
        const app::HotSyncOutcome_t recorded = outcome;
        {
            app::HostServices_t deaf = listeningServices();
            deaf.outcome = nullptr;
            const app::HostContext_t unheard(deaf);
            setTrackDb(records);
            EXPECT_EQ(sync(), heard);
            EXPECT_EQ(log.entries, heardEntries);
        }
        EXPECT_EQ(outcome.end, recorded.end);
        EXPECT_EQ(outcome.result, recorded.result);
        EXPECT_EQ(outcome.failure.has_value(), recorded.failure.has_value());
        // The outer context listens again.
        outcome = app::HotSyncOutcome_t();
        outcome.result = 12345;
        setTrackDb(records);
        EXPECT_EQ(sync(), heard);
        EXPECT_EQ(outcome.result, heard);
        EXPECT_EQ(outcome.end, recorded.end);
    }
}
