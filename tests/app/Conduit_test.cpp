#include "app/ConduitApi.h"
#include "app/ConfigDialog.h"
#include "app/LogFailure.h"
#include "plm/PLM_SyncErrors.h"

#include "ConduitFixture.h"
#include "TestSupport.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;
using Entry = plm::MemoryHotSyncLog_t::Entry;

namespace {

void progress(const char*) {}

class Conduit : public testsupport::ConduitFixture {
protected:
    Conduit() : m_root(fs::temp_directory_path() / ("pathlet_conduit_" + std::to_string(::getpid()))) {
        fs::remove_all(m_root);
        fs::create_directories(m_root / "alice" / "Pathlet");
        fs::create_directories(m_root / "bob" / "Pathlet");
        users.setRoot(m_root.string() + "/");
        users.addUser("Alice", 1, "alice");
        users.addUser("Bob", 2, "bob");
    }
    ~Conduit() override { fs::remove_all(m_root); }

    int32_t sync(const char* user, int32_t type = 2, PathletProgressFn callback = &progress) {
        std::vector<char> properties(1024, 0);
        std::memcpy(properties.data(), &type, sizeof type);
        std::strcpy(properties.data() + 516, user);
        return OpenConduit(callback, properties.data());
    }

    fs::path fileOf(const char* userDir) const { return m_root / userDir / "Pathlet" / "Tracks.tlx"; }

    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::vector<Entry> failure(const std::string& line) const {
        return {{"", 19}, {"Pathlet", 21}, {line, 22}};
    }

    fs::path m_root;
};

const std::vector<Entry> kGoodRun = {{"", 19}, {"Pathlet", 20}};

} // namespace

TEST_F(Conduit, AGoodRunLogsStartAndFinishAndWritesTheFile) {
    setTrackDb({testsupport::workedExampleRecord()});
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(log.entries, kGoodRun);
    EXPECT_EQ(contents(fileOf("alice")).size(), 131u);
    EXPECT_FALSE(fs::exists(fileOf("alice").string() + ".partial"));
    EXPECT_EQ((users.settings[1][{"Pathlet", "FileName"}]), fileOf("alice").string());
    EXPECT_EQ(handheld.registrations(), 0);
    EXPECT_EQ(handheld.openDatabases(), 0);
}

TEST_F(Conduit, ANullCallbackDoesNothing) {
    EXPECT_EQ(sync("Alice", 2, nullptr), -1);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(Conduit, AFailedRegistrationReturnsItsCode) {
    handheld.failCall(plm::HandheldBase_t::Call::Register, 0x4242);
    users.failUserId = 1; // must not even be asked
    EXPECT_EQ(sync("Alice"), 0x4242);
    EXPECT_EQ(log.entries, (std::vector<Entry>{{"", 19}, {"Pathlet", 21}}));
}

TEST_F(Conduit, OtherSyncTypesStillLookTheUserUp) {
    EXPECT_EQ(sync("Alice", 6), 0);
    EXPECT_EQ(log.entries, kGoodRun);
    EXPECT_FALSE(fs::exists(fileOf("alice")));
    EXPECT_EQ(sync("Nobody", 6), -1);
    EXPECT_EQ(std::vector<Entry>(log.entries.begin() + 2, log.entries.end()),
              failure("SETTINGS.H-69-2.3\nUser Data Error"));
}

TEST_F(Conduit, AnEmptyHandheldDatabaseStillWritesTheFile) {
    setTrackDb({});
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(contents(fileOf("alice")).size(), 52u);
}

TEST_F(Conduit, NoTrackDbLeavesTheOldFileAlone) {
    std::ofstream(fileOf("alice")) << "old";
    EXPECT_EQ(sync("Alice"), plm::kSyncNotFound);
    EXPECT_EQ(log.entries, failure("PALMDATABASE.CPP-64-2.3"));
    EXPECT_EQ(contents(fileOf("alice")), "old");
}

TEST_F(Conduit, AMissingDirectoryFailsAtLine123) {
    setTrackDb({});
    fs::remove_all(m_root / "alice" / "Pathlet");
    EXPECT_EQ(sync("Alice"), -1);
    EXPECT_EQ(log.entries, failure("CONDUIT.CPP-123-2.3"));
    EXPECT_FALSE(fs::exists(m_root / "alice" / "Pathlet"));
}

TEST_F(Conduit, AnExistingFileIsReplacedWhole) {
    std::ofstream(fileOf("alice")) << std::string(5000, 'x');
    setTrackDb({});
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(contents(fileOf("alice")).size(), 52u);
}

TEST_F(Conduit, AFailedImportLeavesTheOldFileWhole) {
    std::ofstream(fileOf("alice")) << "old";
    synth::TrackLog_t polar = simpleLog("Polar", 1);
    polar.points[0].latitude = 1073741825;
    setTrackDb(synth::encodeTrackLog(polar));
    EXPECT_EQ(sync("Alice"), -1);
    EXPECT_EQ(log.entries, failure("GEO_POSITION.CPP-130-2.3"));
    EXPECT_EQ(contents(fileOf("alice")), "old");
}

TEST_F(Conduit, EachUserGetsTheirOwnFile) {
    setTrackDb({});
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(sync("Bob"), 0);
    EXPECT_TRUE(fs::exists(fileOf("alice")));
    EXPECT_TRUE(fs::exists(fileOf("bob")));
}

TEST_F(Conduit, EveryPlatformFailureEndsWithItsLogEntries) {
    setTrackDb(recordsOf({simpleLog("A", 3)}));
    using Call = plm::HandheldBase_t::Call;
    const struct {
        Call call;
        int skip;
        int32_t result;
        std::vector<Entry> entries;
    } cases[] = {
        {Call::Open, 0, 0x4101, failure("PALMDATABASE.CPP-64-2.3")},
        {Call::Count, 0, 0x4102, failure("PALMDATABASE.CPP-65-2.3")},
        {Call::Count, 1, 0x4103, failure("PALMDATABASE.CPP-111-2.3")},
        {Call::Read, 0, 0x4104, failure("PALMDATABASE.CPP-93-2.3")},
        {Call::Unregister, 0, 0x4105, {{"", 19}, {"Pathlet", 21}}},
    };
    for (const auto& c : cases) {
        log.entries.clear();
        handheld.failCall(c.call, c.result, c.skip);
        EXPECT_EQ(sync("Alice"), c.result);
        EXPECT_EQ(log.entries, c.entries);
        EXPECT_EQ(handheld.openDatabases(), 0);
    }
    // A failed close is not looked at.
    log.entries.clear();
    handheld.failCall(Call::Close, 0x4106);
    EXPECT_EQ(sync("Alice"), 0);
}

TEST_F(Conduit, UserDataFailuresHaveTheirOwnLines) {
    setTrackDb({});
    users.failRoot = -1;
    EXPECT_EQ(sync("Alice"), -1);
    EXPECT_EQ(log.entries, failure("SETTINGS.CPP-38-2.3"));

    // The path was not cached, so the next run works it out again.
    users.failRoot = 0;
    users.failUserDirectory = -2;
    log.entries.clear();
    EXPECT_EQ(sync("Alice"), -1);
    EXPECT_EQ(log.entries, failure("SETTINGS.CPP-46-2.3"));

    users.failUserDirectory = 0;
    users.failStore = 9;
    log.entries.clear();
    EXPECT_EQ(sync("Alice"), -1);
    EXPECT_EQ(log.entries, failure("PLM_SETTINGS.CPP-71-2.3"));

    users.failStore = 0;
    log.entries.clear();
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(users.stores, 1);
    EXPECT_EQ(sync("Alice"), 0);
    EXPECT_EQ(users.stores, 1); // recorded once per user and process
}

TEST(ConduitFailureLine, SplitsThePathAndUpperCases) {
    EXPECT_EQ(app::failureLine("c:\\src\\abc.def", 7, "xyz"), "ABC.DEF-7-2.3\nxyz");
    EXPECT_EQ(app::failureLine("/src/app/noext", 1, ""), "NOEXT-1-2.3");
}

TEST(ConduitInfo, NameVersionAndInformation) {
    char name[16];
    EXPECT_EQ(GetConduitName(name, sizeof name), 0);
    EXPECT_STREQ(name, "Pathlet");
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetConduitName(tiny, 1), 0);
    EXPECT_EQ(tiny[0], '\0');
    EXPECT_EQ(tiny[1], 'x');
    EXPECT_EQ(GetConduitName(tiny, 0), 0);
    EXPECT_EQ(GetConduitVersion(), 0x101u);
    EXPECT_EQ(ConfigureConduit(nullptr), 0);
}

TEST(ConduitInfo, ChecksRunInOrder) {
    const uint32_t request[2] = {1, 80};
    const uint32_t badRequest[2] = {1, 81};
    int32_t value = 77;
    uint32_t four = 4;
    uint32_t eight = 8;
    char name[32];
    uint32_t nameSize = sizeof name;
    EXPECT_EQ(GetConduitInfo(0, request, nullptr, nullptr), 0x1071);
    EXPECT_EQ(GetConduitInfo(0, request, &value, nullptr), 0x1077);
    EXPECT_EQ(GetConduitInfo(0, nullptr, name, &nameSize), 0x1074);
    EXPECT_EQ(GetConduitInfo(0, badRequest, name, &nameSize), 0x1075);
    EXPECT_EQ(GetConduitInfo(0, request, name, &nameSize), 0);
    EXPECT_STREQ(name, "Pathlet");
    EXPECT_EQ(GetConduitInfo(1, nullptr, &value, &eight), 0x1073);
    EXPECT_EQ(GetConduitInfo(2, nullptr, &value, &eight), 0x1073);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(GetConduitInfo(1, nullptr, &value, &four), 0);
    EXPECT_EQ(value, 0x600);
    EXPECT_EQ(GetConduitInfo(2, nullptr, &value, &four), 0);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(GetConduitInfo(3, nullptr, &value, &four), 0x1070);
    uint32_t zero = 0;
    name[0] = 'q';
    EXPECT_EQ(GetConduitInfo(0, request, name, &zero), 0);
    EXPECT_EQ(name[0], 'q');
}

namespace {

struct Answer {
    bool ok = true;
    bool handheldToDesktop = true;
    bool makeDefault = false;
    app::DialogControls_t seen;
};
Answer g_answer;

bool answer(app::DialogControls_t& controls) {
    g_answer.seen = controls;
    controls.handheldToDesktop = g_answer.handheldToDesktop;
    controls.doNothing = !g_answer.handheldToDesktop;
    controls.makeDefault = g_answer.makeDefault;
    return g_answer.ok;
}

struct ConfigRecord {
    std::vector<char> bytes = std::vector<char>(352, 0);
    explicit ConfigRecord(int32_t action) {
        set(0, 1);
        set(340, action);
        set(344, -1);
        set(348, -1);
    }
    void set(std::size_t at, int32_t v) { std::memcpy(bytes.data() + at, &v, 4); }
    int32_t at(std::size_t offset) const {
        int32_t v;
        std::memcpy(&v, bytes.data() + offset, 4);
        return v;
    }
};

} // namespace

TEST(ConduitConfigure, TheDialogStartsFromTheCurrentAction) {
    app::HostServices_t services;
    services.dialog = &answer;
    const app::HostContext_t context(services);
    const uint32_t size = 352;
    for (const int32_t initial : {2, 0, 3, 7, 6}) {
        ConfigRecord record(initial);
        g_answer = {};
        EXPECT_EQ(CfgConduit(0, record.bytes.data(), &size), 0);
        EXPECT_EQ(g_answer.seen.doNothing, initial == 6);
        EXPECT_EQ(g_answer.seen.handheldToDesktop, initial != 6);
        EXPECT_FALSE(g_answer.seen.makeDefault);
        EXPECT_EQ(record.at(344), 2);
        EXPECT_EQ(record.at(348), 2);
    }
}

TEST(ConduitConfigure, OkWritesTheChoiceAndCancelNothing) {
    app::HostServices_t services;
    services.dialog = &answer;
    std::optional<app::HostContext_t> context(std::in_place, services);
    const uint32_t size = 352;
    ConfigRecord record(2);
    g_answer = {true, false, true, {}};
    EXPECT_EQ(CfgConduit(0, record.bytes.data(), &size), 0);
    EXPECT_EQ(record.at(344), 6);
    EXPECT_EQ(record.at(348), 1);

    ConfigRecord cancelled(2);
    g_answer = {false, false, true, {}};
    EXPECT_EQ(CfgConduit(0, cancelled.bytes.data(), &size), 0);
    EXPECT_EQ(cancelled.at(344), -1);
    EXPECT_EQ(cancelled.at(348), -1);

    context.reset();
    const app::HostContext_t withoutDialog({}); // a dialog that cannot be shown ends without OK
    EXPECT_EQ(CfgConduit(0, cancelled.bytes.data(), &size), 0);
    EXPECT_EQ(cancelled.at(344), -1);
}

TEST(ConduitConfigure, ArgumentChecksRunInOrder) {
    ConfigRecord record(2);
    const uint32_t size = 352;
    const uint32_t wrong = 351;
    EXPECT_EQ(CfgConduit(1, nullptr, nullptr), 0x1074);
    EXPECT_EQ(CfgConduit(1, record.bytes.data(), nullptr), 0x1078);
    EXPECT_EQ(CfgConduit(1, record.bytes.data(), &wrong), 0x107A);
    EXPECT_EQ(CfgConduit(1, record.bytes.data(), &size), 0x1079);
    record.set(0, 2);
    EXPECT_EQ(CfgConduit(0, record.bytes.data(), &size), 0x107B);
}

// 400 logs of stride 0, each claiming 65,535 copies of one point: the conduit stops where the
// handheld's bytes could hold no more points, says so in the log, and still writes what it read.
TEST_F(Conduit, AHandheldClaimingMorePointsThanItsBytesHoldIsCutAtTheBound) {
    std::vector<std::string> records;
    uint64_t bytes = 0;
    for (int i = 0; i < 400; ++i) {
        synth::TrackLog_t log = simpleLog(("L" + std::to_string(i)).c_str(), 1);
        log.pointStride = 0;
        log.pointCount = 65535;
        for (std::string& record : synth::encodeTrackLog(log)) {
            bytes += record.size();
            records.push_back(std::move(record));
        }
    }
    setTrackDb(records);
    EXPECT_EQ(sync("Alice"), 0);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[1].activity, -1);
    EXPECT_NE(log.entries[1].text.find("decoding stopped after"), std::string::npos) << log.entries[1].text;
    EXPECT_EQ(log.entries[2], (Entry{"Pathlet", 20}));
    // The first log's points are cut at the bound of its own record; nothing after it is decoded.
    EXPECT_LT(contents(fileOf("alice")).size(), 40 * bytes);
}
