// Files replaced whole: what stays on the disk after success, failure and hostile links.
#include "glo/GLO_ReplacingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>
#include <unistd.h>

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
