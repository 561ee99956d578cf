// What the host says of a HotSync, worded from the values the conduit hands it.
#include "host/hotsync/HotSyncWords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class HotSyncWords : public ::testing::Test {
protected:
    HotSyncWords() : m_dir(fs::temp_directory_path() / ("pathlet_words_" + std::to_string(::getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_root.emplace(m_dir.string());
        facts.user = m_root->addUser("Ann", std::nullopt, std::nullopt);
        facts.userName = "Ann";
        facts.root = &*m_root;
        facts.codePage = 1252;
    }
    ~HotSyncWords() override { fs::remove_all(m_dir); }

    app::HotSyncFailure_t& fail(app::FailureKind_t kind, const char* source, int line) {
        facts.outcome.end = app::HotSyncEnd_t::Failed;
        facts.outcome.result = -1;
        facts.outcome.failure.emplace();
        facts.outcome.failure->kind = kind;
        facts.outcome.failure->source = source;
        facts.outcome.failure->line = line;
        return *facts.outcome.failure;
    }
    static app::HandheldPlace_t place(app::RefusedField_t field, int64_t raw, std::optional<uint32_t> point) {
        app::HandheldPlace_t at;
        at.trackLog = "Caf\xE9 loop"; // code page 1252
        at.logRecord = 3;
        at.record = 4;
        at.point = point;
        at.field = field;
        at.raw = raw;
        return at;
    }

    host::HotSyncFacts facts;
    fs::path m_dir;
    std::optional<host::HotSyncRoot> m_root;
};

TEST_F(HotSyncWords, ARefusedValueNamesItsLogRecordPointAndValue) {
    app::HandheldPlace_t latitude = place(app::RefusedField_t::Latitude, 1135869133, 118);
    latitude.degrees = 95.2;
    fail(app::FailureKind_t::OutOfRange, "GEO_Position.cpp", 130).handheld = latitude;
    EXPECT_EQ(host::failureWords(facts), "TrackDB is damaged: track log 'Caf\xC3\xA9 loop', record 4, point "
                                         "118: latitude 95.2 is outside -90..90");

    fail(app::FailureKind_t::OutOfRange, "IOG_Color108.cpp", 62).handheld =
        place(app::RefusedField_t::ColourCode, 16, std::nullopt);
    EXPECT_EQ(host::failureWords(facts),
              "TrackDB is damaged: track log 'Caf\xC3\xA9 loop', record 4: colour code 16 "
              "is not one of the handheld's colours (0 to 15)");

    // 1,516,418,048 s after 1989-12-31 is the first second past what 32-bit time holds.
    fail(app::FailureKind_t::OutOfRange, "GLO_Time.cpp", 130).handheld =
        place(app::RefusedField_t::Time, 1516418048, 0);
    EXPECT_EQ(host::failureWords(facts), "TrackDB is damaged: track log 'Caf\xC3\xA9 loop', record 4, point "
                                         "0: the time 2038-01-19 03:14:08 UTC "
                                         "is past 2038-01-19 03:14:07 UTC, the last a desktop file can hold");

    facts.codePage = 932;
    fail(app::FailureKind_t::InvalidText, "GLO_MBString.cpp", 122).handheld =
        place(app::RefusedField_t::NameText, 0, std::nullopt);
    EXPECT_EQ(host::failureWords(facts).substr(0, 88),
              "TrackDB is damaged: the name of the track log in record 4 is not text of code page 932 (");
}

TEST_F(HotSyncWords, ARecordThatCouldNotBeReadSaysWhyTheHandheldSaid) {
    app::HotSyncFailure_t& failure = fail(app::FailureKind_t::SyncManager, "PalmDatabase.cpp", 93);
    failure.syncManagerCode = 0x4001;
    failure.handheld = place(app::RefusedField_t::None, 0, 7);
    EXPECT_EQ(host::failureWords(facts), "the handheld's TrackDB could not be read at record 4 (code 16385)");
    facts.handheldProblem = "TrackDB.pdb is damaged: record 4 has 70000 bytes";
    EXPECT_EQ(host::failureWords(facts), facts.handheldProblem);
    facts.outcome.failure->handheld.reset();
    facts.handheldProblem.clear();
    EXPECT_EQ(host::failureWords(facts), "the handheld's TrackDB could not be read (code 16385)");
}

TEST_F(HotSyncWords, TheDesktopFileNamesWhatStoppedIt) {
    facts.outcome.desktopFile = (m_dir / "Ann" / "Pathlet" / "Tracks.tlx").string();
    fs::remove_all(m_dir / "Ann" / "Pathlet");
    fail(app::FailureKind_t::System, "Conduit.cpp", 123).systemError =
        std::make_error_code(std::errc::no_such_file_or_directory);
    EXPECT_EQ(host::failureWords(facts),
              "the conduit directory " + (m_dir / "Ann" / "Pathlet").string() + " does not exist");
    fs::create_directories(m_dir / "Ann" / "Pathlet");
    fail(app::FailureKind_t::System, "Conduit.cpp", 123).systemError =
        std::make_error_code(std::errc::io_error);
    EXPECT_EQ(host::failureWords(facts),
              "cannot write " + facts.outcome.desktopFile + ": Input/output error");
}

TEST_F(HotSyncWords, OtherEndsAreSaidAsTheyAre) {
    facts.outcome.end = app::HotSyncEnd_t::RegisterRefused;
    facts.outcome.result = 0x4004;
    EXPECT_EQ(host::failureWords(facts), "the conduit did not run: the Sync Manager refused it (code 16388)");
    facts.outcome.end = app::HotSyncEnd_t::Finished;
    EXPECT_EQ(host::failureWords(facts),
              "the Sync Manager could not end the HotSync (code 16388), though the conduit's work was done");
    fail(app::FailureKind_t::Standard, "Conduit.cpp", 123).detail = "std::bad_alloc";
    EXPECT_EQ(host::failureWords(facts), "the conduit stopped (Conduit.cpp line 123): std::bad_alloc");
    fail(app::FailureKind_t::Module, "Settings.h", 69).message = "User Data Error";
    EXPECT_EQ(host::failureWords(facts), "the user's settings could not be read or written: User Data Error");
    fail(app::FailureKind_t::Assertion, "Conduit.cpp", 103);
    EXPECT_EQ(host::failureWords(facts), "the conduit stopped (Conduit.cpp line 103) without saying why");
    facts.user.reset();
    EXPECT_EQ(host::failureWords(facts), "unknown user 'Ann' ('pathlet users list' shows the users)");
}

TEST(HotSyncCounts, OneIsSingularEverythingElsePluralWithThousands) {
    EXPECT_EQ(host::counted(0, "track"), "0 tracks");
    EXPECT_EQ(host::counted(1, "track"), "1 track");
    EXPECT_EQ(host::counted(4213, "point"), "4,213 points");
    EXPECT_EQ(host::countWords(1, 1), "1 track, 1 point");
    EXPECT_EQ(host::countWords(12, 1234567), "12 tracks, 1,234,567 points");
}

} // namespace
