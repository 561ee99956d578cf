#include "plm/PLM_SyncErrors.h"
#include "plm/desktop/PLM_PdbHandheld.h"

#include "synth/SYN_PdbFile.h"

#include "TestSupport.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class PdbHandheld : public ::testing::Test {
protected:
    PdbHandheld() : m_dir(fs::temp_directory_path() / ("pathlet_pdb_" + std::to_string(::getpid()))) {
        fs::create_directories(m_dir);
    }
    ~PdbHandheld() override { fs::remove_all(m_dir); }

    std::string write(const std::string& file, const std::string& bytes) {
        const std::string path = (m_dir / file).string();
        synth::writeFile(path, bytes);
        return path;
    }

    // Opens `name` and reads every record; returns the open result.
    int32_t readAll(plm::PdbHandheld_t& handheld, const std::string& name,
                    std::vector<std::string>& records) {
        uint8_t handle = 0;
        if (const int32_t code = handheld.openDatabase(name.c_str(), 0, &handle, 0x90))
            return code;
        uint16_t count = 0;
        EXPECT_EQ(handheld.recordCount(handle, &count), 0);
        std::vector<char> buffer(0xFFF0);
        for (uint16_t i = 0; i < count; ++i) {
            plm::RecordBlock_t block{};
            block.databaseHandle = handle;
            block.index = i;
            block.capacity = 0xFFF0;
            block.buffer = buffer.data();
            const int32_t code = handheld.readRecordByIndex(&block);
            if (code) {
                handheld.closeDatabase(handle);
                return code;
            }
            const uint32_t size = block.size;
            records.emplace_back(buffer.data(), size);
        }
        EXPECT_EQ(handheld.closeDatabase(handle), 0);
        return 0;
    }

    fs::path m_dir;
};

} // namespace

TEST_F(PdbHandheld, DatabasesAreFoundByTheirHeaderNameAndServedInOrder) {
    write("a.pdb", synth::buildPdb("Other", "DATA", "XXXX", {"x"}));
    const std::string path =
        write("tracks-on-card.PDB", synth::buildPdb("TrackDB", "Trck", "VTRK", {"one", "", "three"}));
    const auto before = fs::last_write_time(path);
    plm::PdbHandheld_t handheld(m_dir.string());
    std::vector<std::string> records;
    ASSERT_EQ(readAll(handheld, "TrackDB", records), 0);
    EXPECT_EQ(records, (std::vector<std::string>{"one", "", "three"}));
    EXPECT_EQ(fs::last_write_time(path), before);

    plm::PdbHandheld_t single(path);
    records.clear();
    ASSERT_EQ(readAll(single, "TrackDB", records), 0);
    EXPECT_EQ(records.size(), 3u);
    EXPECT_EQ(readAll(single, "Missing", records), plm::kSyncNotFound);
}

TEST_F(PdbHandheld, InconsistentFilesAreNotServed) {
    std::string good = synth::buildPdb("TrackDB", "Trck", "VTRK", {"aaaa", "bbbb"});
    std::vector<std::string> records;

    plm::PdbHandheld_t shortHeader(write("short.pdb", good.substr(0, 60)));
    EXPECT_EQ(readAll(shortHeader, "TrackDB", records), plm::kSyncBadDatabase);
    EXPECT_EQ(shortHeader.problem(),
              "short.pdb is damaged: its 60 bytes are shorter than a database header (78)");

    std::string unordered = good;
    std::swap(unordered[78 + 3], unordered[78 + 8 + 3]); // swap the low bytes of the two offsets
    plm::PdbHandheld_t outOfOrder(write("order.pdb", unordered));
    EXPECT_EQ(readAll(outOfOrder, "TrackDB", records), plm::kSyncBadDatabase);
    EXPECT_EQ(outOfOrder.problem(), "order.pdb is damaged: record 1 starts before the record before it");

    std::string pastEnd = good;
    pastEnd[78] = 0x7F;
    plm::PdbHandheld_t beyond(write("beyond.pdb", pastEnd));
    EXPECT_EQ(readAll(beyond, "TrackDB", records), plm::kSyncBadDatabase);
    EXPECT_EQ(beyond.problem(), "beyond.pdb is damaged: record 0 starts past the end of the file");

    std::string inList = good;
    inList[78 + 3] = 80;
    plm::PdbHandheld_t list(write("list.pdb", inList));
    EXPECT_EQ(readAll(list, "TrackDB", records), plm::kSyncBadDatabase);
    EXPECT_EQ(list.problem(), "list.pdb is damaged: record 0 starts inside the record list");

    std::string tooMany = good;
    tooMany[76] = static_cast<char>(0xFF);
    plm::PdbHandheld_t count(write("count.pdb", tooMany));
    EXPECT_EQ(readAll(count, "TrackDB", records), plm::kSyncBadDatabase);
    EXPECT_EQ(count.problem(),
              "count.pdb is damaged: its list of 65282 records runs past the end of the file");
    EXPECT_TRUE(records.empty());
}

TEST_F(PdbHandheld, ARecordLongerThanTheBufferFailsItsRead) {
    plm::PdbHandheld_t handheld(
        write("big.pdb", synth::buildPdb("TrackDB", "Trck", "VTRK", {std::string(0xFFF1, 'x')})));
    std::vector<std::string> records;
    EXPECT_EQ(readAll(handheld, "TrackDB", records), plm::kSyncRecordTooLong);
    EXPECT_EQ(handheld.openDatabases(), 0);
}
