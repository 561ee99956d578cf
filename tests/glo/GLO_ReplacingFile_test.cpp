// Files replaced whole: what stays on the disk after success, failure and hostile links.
#include "glo/GLO_ReplacingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ReplacingFile : public ::testing::Test {
protected:
    ReplacingFile() : dir(fs::temp_directory_path() / ("pathlet_replace_" + std::to_string(::getpid()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~ReplacingFile() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }
    static void write(glo::ReplacingFile_t& file, const std::string& text) {
        std::ostream out(&file.buffer());
        out << text;
        out.flush();
    }
    fs::path dir;
};

TEST_F(ReplacingFile, CommitReplacesTheOldFileAndLeavesNothingElse) {
    const fs::path target = dir / "Tracks.tlx";
    std::ofstream(target) << "old";
    {
        glo::ReplacingFile_t file(target.string());
        write(file, std::string(200000, 'n')); // more than one buffer
        EXPECT_EQ(contents(target), "old");
        file.commit();
    }
    EXPECT_EQ(contents(target), std::string(200000, 'n'));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFile, WithoutACommitTheOldFileStaysAndTheFreshOneGoes) {
    const fs::path target = dir / "Tracks.tlx";
    std::ofstream(target) << "old";
    {
        glo::ReplacingFile_t file(target.string());
        write(file, "half");
    }
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFile, TwoWritersOfOneFileEachLeaveTheirWholeContent) {
    const fs::path target = dir / "Tracks.tlx";
    glo::ReplacingFile_t first(target.string());
    glo::ReplacingFile_t second(target.string());
    write(first, std::string(100000, 'a'));
    write(second, std::string(70000, 'b'));
    second.commit();
    first.commit();
    EXPECT_EQ(contents(target), std::string(100000, 'a'));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFile, LinksAreReplacedNeverWrittenThrough) {
    const fs::path outside = dir / "outside.txt";
    std::ofstream(outside) << "precious";
    const fs::path target = dir / "Tracks.tlx";
    fs::create_symlink(outside, target);
    fs::create_symlink(outside, dir / "Tracks.tlx.partial"); // the old fixed name
    glo::ReplacingFile_t file(target.string());
    write(file, "new");
    file.commit();
    EXPECT_EQ(contents(outside), "precious");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(contents(target), "new");
}

TEST_F(ReplacingFile, AReadOnlyOrMissingDirectoryIsAClearErrorAndTouchesNothing) {
    EXPECT_THROW(glo::ReplacingFile_t((dir / "missing" / "Tracks.tlx").string()), std::system_error);
    if (::geteuid() != 0) { // root writes anywhere
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
        try {
            glo::ReplacingFile_t file((dir / "Tracks.tlx").string());
            FAIL() << "created a file in a read-only directory";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), EACCES);
        }
    }
}

// The pid of a process that has ended and been reaped.
pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(ReplacingFile, LeftoversOfKilledWritersGoThoseOfLiveOnesAndOtherNamesStay) {
    const std::string dead = std::to_string(deadPid());
    const std::string live = std::to_string(::getpid());
    const fs::path target = dir / "Tracks.tlx";
    std::ofstream(target) << "old";
    const std::vector<std::string> gone = {"Tracks.tlx." + dead + "-3-2857361.partial",
                                           "Tracks.tlx." + dead + "-0-0.partial"};
    const std::vector<std::string> kept = {
        "Tracks.tlx." + live + "-999-1.partial", // a writer of this process, still writing
        "Other.tlx." + dead + "-3-1.partial",    // another file's
        "Tracks.tlx." + dead + "-3-1.partial.bak",
        "Tracks.tlx." + dead + "-x-1.partial",
        "Tracks.tlx." + dead + "--1.partial",
        "Tracks.tlx." + dead + "-3-1-4.partial",
        "Tracks.tlx.-" + dead + "-3-1.partial",
        "Tracks.tlx." + dead + "-3-.partial",
        "Tracks.tlx." + dead + "-3-1.partial~",
        "Tracks.tlx.partial",
        "xTracks.tlx." + dead + "-3-1.partial",
        "Tracks.tlx.99999999999999999999999-3-1.partial", // no pid fits
    };
    for (const std::string& name : gone)
        std::ofstream(dir / name) << "a killed run's half";
    for (const std::string& name : kept)
        std::ofstream(dir / name) << "someone else's";
    // Not files a writer makes: a link (to a file outside) and a directory of a leftover's name.
    const fs::path outside = dir / "outside.txt";
    std::ofstream(outside) << "precious";
    fs::create_symlink(outside, dir / ("Tracks.tlx." + dead + "-4-1.partial"));
    fs::create_directory(dir / ("Tracks.tlx." + dead + "-5-1.partial"));
    {
        glo::ReplacingFile_t file(target.string());
        EXPECT_EQ(file.leftoversRemoved(), gone.size());
        write(file, "new");
        file.commit();
    }
    EXPECT_EQ(contents(target), "new");
    for (const std::string& name : gone)
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    for (const std::string& name : kept)
        EXPECT_EQ(contents(dir / name), "someone else's") << name;
    EXPECT_TRUE(fs::is_symlink(dir / ("Tracks.tlx." + dead + "-4-1.partial")));
    EXPECT_TRUE(fs::is_directory(dir / ("Tracks.tlx." + dead + "-5-1.partial")));
    EXPECT_EQ(contents(outside), "precious");
    EXPECT_EQ(entries(), 1u + kept.size() + 3u);
}

TEST_F(ReplacingFile, AFreshFileIsKeptWhileItsWriterLivesAndFoundOnceItIsGone) {
    const fs::path target = dir / "Tracks.tlx";
    glo::ReplacingFile_t writer(target.string());
    write(writer, "half");
    EXPECT_EQ(glo::removeLeftovers(target.string()), 0u);
    ASSERT_EQ(entries(), 1u);
    // The same name as a writer that died would have left it.
    const fs::path fresh = fs::directory_iterator(dir)->path();
    const std::string name = fresh.filename().string();
    const std::string ours = "Tracks.tlx." + std::to_string(::getpid()) + "-";
    ASSERT_EQ(name.rfind(ours, 0), 0u) << name;
    const fs::path orphan =
        dir / ("Tracks.tlx." + std::to_string(deadPid()) + "-" + name.substr(ours.size()));
    fs::copy_file(fresh, orphan);
    EXPECT_EQ(glo::removeLeftovers(target.string()), 1u);
    EXPECT_FALSE(fs::exists(orphan));
    EXPECT_TRUE(fs::exists(fresh));
}

TEST_F(ReplacingFile, AppendWholeAddsAndRefusesLinks) {
    const fs::path log = dir / "HotSync.log";
    glo::appendWhole(log.string(), "one\n");
    glo::appendWhole(log.string(), "two\n");
    EXPECT_EQ(contents(log), "one\ntwo\n");
    const fs::path outside = dir / "outside.txt";
    std::ofstream(outside) << "precious";
    fs::create_symlink(outside, dir / "linked.log");
    EXPECT_THROW(glo::appendWhole((dir / "linked.log").string(), "x"), std::system_error);
    EXPECT_EQ(contents(outside), "precious");
}

} // namespace
