// Drives the pathlet command as other tools do: arguments in, log lines, exit status and files out.
#include "synth/SYN_Description.h"
#include "synth/SYN_PdbFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
};

class PathletCommand : public ::testing::Test {
protected:
    PathletCommand() : m_dir(fs::temp_directory_path() / ("pathlet_cli_" + std::to_string(::getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_root = (m_dir / "root").string();
    }
    ~PathletCommand() override { fs::remove_all(m_dir); }

    // Runs pathlet with the arguments; standard error goes to standard output.
    Outcome pathlet(const std::string& arguments, const std::string& input = "") {
        std::string command = std::string(PATHLET_BINARY) + " " + arguments + " 2>&1";
        if (!input.empty()) {
            const std::string inputFile = (m_dir / "input.txt").string();
            std::ofstream(inputFile) << input;
            command += " < " + inputFile;
        } else {
            command += " < /dev/null";
        }
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        std::array<char, 4096> buffer{};
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
            out.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
    }

    std::string handheld(const std::string& description) {
        const std::string path = (m_dir / "TrackDB.pdb").string();
        synth::writeFile(
            path, synth::buildPdb("TrackDB", "Trck", "VTRK", synth::recordsFromDescription(description)));
        return path;
    }

    static std::string contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::string root() const { return " --root " + m_root; }

    fs::path m_dir;
    std::string m_root;
};

const char* kWorkedExample = R"(
log T1 color=3 flags=time per-record=2
raw-point 536870913 134217728 t=1
raw-point 536870912 134217728 t=0
)";

} // namespace

TEST_F(PathletCommand, AddsUsersAndRunsAHotSync) {
    Outcome added = pathlet("users add Alice" + root());
    ASSERT_EQ(added.status, 0) << added.out;
    EXPECT_TRUE(fs::is_directory(m_root + "/Alice/Pathlet"));
    EXPECT_EQ(pathlet("users add \"Bob Smith\"" + root()).status, 0);
    EXPECT_NE(pathlet("users add Alice" + root()).status, 0);
    EXPECT_NE(pathlet("users add Eve --dir ../x" + root()).status, 0);
    const Outcome list = pathlet("users list" + root());
    EXPECT_TRUE(std::regex_search(list.out, std::regex("1\tAlice\tAlice\n2\tBob Smith\tBob_Smith\n")))
        << list.out;

    const std::string pdb = handheld(kWorkedExample);
    const Outcome synced = pathlet("hotsync --handheld " + pdb + root() + " --user Alice");
    EXPECT_EQ(synced.status, 0) << synced.out;
    EXPECT_EQ(synced.out, "19 start\n20 finish: Pathlet\npathlet: " + m_root +
                              "/Alice/Pathlet/Tracks.tlx written: 1 track, 2 points\n");
    const std::string file = contents(m_root + "/Alice/Pathlet/Tracks.tlx");
    ASSERT_EQ(file.size(), 131u);
    EXPECT_EQ(file.substr(0, 6), std::string("QvRcd\0", 6));
    EXPECT_EQ(file.substr(45, 8), std::string("\x4A\0\0\0T"
                                              "T1\0",
                                              8));
    EXPECT_EQ(file.substr(124), std::string("\x02\0\0\0V\0\x01", 7));
    EXPECT_NE(
        contents(m_root + "/Alice/settings.ini").find("FileName=" + m_root + "/Alice/Pathlet/Tracks.tlx"),
        std::string::npos);
    EXPECT_NE(contents(m_root + "/HotSync.log").find("20 finish: Pathlet"), std::string::npos);
}

TEST_F(PathletCommand, ReportsFailuresInTheLogAndTheExitStatus) {
    ASSERT_EQ(pathlet("users add Alice" + root()).status, 0);
    const std::string pdb = handheld(kWorkedExample);

    const Outcome unknown =
        pathlet("hotsync --handheld " + pdb + root() + " --user Nobody --log-format jsonl");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("{\"activity\": 22, \"entry\": \"failure\", \"text\": "
                               "\"SETTINGS.H-69-2.3\\nUser Data Error\"}\n{\"result\": -1}"),
              std::string::npos)
        << unknown.out;
    EXPECT_NE(unknown.out.find("pathlet: unknown user 'Nobody'"), std::string::npos);

    const std::string other = (m_dir / "Other.pdb").string();
    synth::writeFile(other, synth::buildPdb("MemoDB", "DATA", "memo", {}));
    const Outcome missing = pathlet("hotsync --handheld " + other + root() + " --user Alice");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(std::regex_search(missing.out,
                                  std::regex("21 abort: Pathlet\n22 failure: PALMDATABASE.CPP-64-2.3\n")))
        << missing.out;
    EXPECT_NE(missing.out.find("pathlet: no TrackDB in " + other + " (it holds a database named 'MemoDB')"),
              std::string::npos)
        << missing.out;

    fs::remove_all(m_root + "/Alice/Pathlet");
    const Outcome noDirectory = pathlet("hotsync --handheld " + pdb + root() + " --user Alice");
    EXPECT_EQ(noDirectory.status, 1);
    EXPECT_NE(noDirectory.out.find("22 failure: CONDUIT.CPP-123-2.3"), std::string::npos) << noDirectory.out;
    EXPECT_NE(
        noDirectory.out.find("pathlet: the conduit directory " + m_root + "/Alice/Pathlet does not exist"),
        std::string::npos)
        << noDirectory.out;

    const Outcome noHandheld = pathlet("hotsync --handheld /nonexistent.pdb" + root() + " --user Alice");
    EXPECT_EQ(noHandheld.status, 1);
    EXPECT_NE(noHandheld.out.find("pathlet: no handheld at /nonexistent.pdb"), std::string::npos);
    const Outcome noUser = pathlet("hotsync --handheld " + pdb + root());
    EXPECT_EQ(noUser.status, 2);
    EXPECT_EQ(noUser.out, "pathlet: --user is required (see pathlet hotsync --help)\n");
}

TEST_F(PathletCommand, TheConfiguredActionDecidesTheNextHotSync) {
    ASSERT_EQ(pathlet("users add Alice" + root()).status, 0);
    const std::string pdb = handheld(kWorkedExample);
    const Outcome once = pathlet("configure" + root() + " --user Alice --action nothing");
    EXPECT_EQ(once.status, 0) << once.out;
    EXPECT_NE(once.out.find("Next HotSync of Alice: do nothing"), std::string::npos) << once.out;
    EXPECT_EQ(pathlet("hotsync --handheld " + pdb + root() + " --user Alice").status, 0);
    EXPECT_FALSE(fs::exists(m_root + "/Alice/Pathlet/Tracks.tlx")); // used once
    EXPECT_EQ(pathlet("hotsync --handheld " + pdb + root() + " --user Alice").status, 0);
    EXPECT_TRUE(fs::exists(m_root + "/Alice/Pathlet/Tracks.tlx"));

    // Answers on standard input: do nothing, as the default, OK.
    const Outcome scripted = pathlet("configure" + root() + " --user Alice", "2\ny\nO\n");
    EXPECT_NE(scripted.out.find("Default for Alice: do nothing"), std::string::npos) << scripted.out;
    fs::remove(m_root + "/Alice/Pathlet/Tracks.tlx");
    EXPECT_EQ(pathlet("hotsync --handheld " + pdb + root() + " --user Alice").status, 0);
    EXPECT_FALSE(fs::exists(m_root + "/Alice/Pathlet/Tracks.tlx"));

    const Outcome cancelled = pathlet("configure" + root() + " --user Alice --action sync --cancel");
    EXPECT_NE(cancelled.out.find("Cancelled"), std::string::npos);
    EXPECT_NE(pathlet("configure" + root() + " --user Nobody --action sync").status, 0);
}

TEST_F(PathletCommand, InfoAndDump) {
    const Outcome info = pathlet("info");
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Name: +Pathlet\nInterface version: 0x101\n")))
        << info.out;
    EXPECT_NE(info.out.find("Information 2:     2"), std::string::npos);

    ASSERT_EQ(pathlet("users add Alice" + root()).status, 0);
    const std::string pdb =
        handheld("log \"Caf\\xe9\" color=0\npoint 47.5 8.25 t=100\npoint 47.6 8.25 t=160\n");
    ASSERT_EQ(pathlet("hotsync --handheld " + pdb + root() + " --user Alice").status, 0);
    const std::string file = m_root + "/Alice/Pathlet/Tracks.tlx";
    const Outcome dump = pathlet("dump " + file);
    EXPECT_EQ(dump.status, 0);
    EXPECT_TRUE(
        std::regex_search(dump.out, std::regex("format 105, writer 203, build SQA Jan 20 2004 13:19:22")));
    EXPECT_TRUE(std::regex_search(dump.out, std::regex("Caf\xc3\xa9\\s+1\\s+2\\s+11\\.1"))) << dump.out;
    const Outcome json = pathlet("dump --json --points " + file);
    EXPECT_NE(json.out.find("\"name\": \"Caf\xc3\xa9\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"first_time\": \"1989-12-31T00:01:40Z\""), std::string::npos);
    std::ofstream(m_dir / "bad.tlx") << "nonsense";
    const Outcome bad = pathlet("dump " + (m_dir / "bad.tlx").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("offset 0: not a record file"), std::string::npos);
}

TEST_F(PathletCommand, TheDemoPrintsItsTable) {
    const Outcome demo = pathlet("demo --root " + (m_dir / "demo").string());
    EXPECT_EQ(demo.status, 0) << demo.out;
    EXPECT_NE(demo.out.find("20 finish: Pathlet"), std::string::npos);
    EXPECT_TRUE(std::regex_search(demo.out, std::regex("ACTIVE LOG +0 +240 "))) << demo.out;
    EXPECT_TRUE(std::regex_search(demo.out, std::regex("Lake loop 001 ")));
    EXPECT_TRUE(std::regex_search(demo.out, std::regex("Ferry crossing 003 ")));
}
