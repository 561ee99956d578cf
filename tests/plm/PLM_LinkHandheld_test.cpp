// The Sync Manager over a desktop link: its calls become link requests, and the link's errors
// become the Sync Manager codes the conduit already handles.
#include "plm/PLM_RecordBlock.h"
#include "plm/PLM_SyncErrors.h"
#include "plm/desktop/PLM_LinkHandheld.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

class ScriptedLink : public plm::DesktopLink_t {
public:
    std::map<std::string, std::vector<std::string>> databases;
    std::vector<std::string> calls;
    uint16_t openError = 0;
    int loseAtRead = -1;

    uint16_t openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) override {
        calls.push_back("open " + name + " card " + std::to_string(card) + " mode " + std::to_string(mode));
        if (openError)
            return openError;
        if (!databases.count(name))
            return plm::kDlpNotFound;
        handle = 3;
        m_open = name;
        return 0;
    }
    uint16_t readOpenDbInfo(uint8_t handle, uint16_t& records) override {
        calls.push_back("count " + std::to_string(handle));
        records = static_cast<uint16_t>(databases[m_open].size());
        return 0;
    }
    uint16_t readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) override {
        calls.push_back("read " + std::to_string(handle) + " " + std::to_string(index));
        if (loseAtRead == index)
            throw LinkLost_t("the connection was closed");
        data = databases[m_open].at(index);
        return 0;
    }
    uint16_t closeDb(uint8_t handle) override {
        calls.push_back("close " + std::to_string(handle));
        return 0;
    }

private:
    std::string m_open;
};

int32_t readInto(plm::LinkHandheld_t& handheld, uint8_t handle, uint16_t index, std::vector<char>& buffer,
                 uint32_t& size) {
    plm::RecordBlock_t block{};
    block.databaseHandle = handle;
    block.index = index;
    block.capacity = static_cast<uint16_t>(buffer.size());
    block.buffer = buffer.data();
    const int32_t code = handheld.readRecordByIndex(&block);
    size = block.size;
    return code;
}

TEST(PlmLinkHandheld, OpensCountsReadsAndClosesThroughTheLink) {
    ScriptedLink link;
    link.databases["TrackDB"] = {"abc", std::string(300, 'x')};
    std::vector<std::pair<int, int>> progress;
    plm::LinkHandheld_t handheld(link, [&](uint16_t i, uint16_t n) { progress.emplace_back(i, n); });
    uint8_t handle = 0;
    ASSERT_EQ(handheld.openDatabase("TrackDB", 0, &handle, 0x90), plm::kSyncOk);
    uint16_t count = 0;
    ASSERT_EQ(handheld.recordCount(handle, &count), plm::kSyncOk);
    EXPECT_EQ(count, 2);
    std::vector<char> buffer(65520);
    uint32_t size = 0;
    ASSERT_EQ(readInto(handheld, handle, 1, buffer, size), plm::kSyncOk);
    EXPECT_EQ(size, 300u);
    EXPECT_EQ(std::string(buffer.data(), size), std::string(300, 'x'));
    EXPECT_EQ(readInto(handheld, handle, 2, buffer, size), plm::kSyncBadIndex); // past the count: not sent
    EXPECT_EQ(handheld.closeDatabase(handle), plm::kSyncOk);
    EXPECT_EQ(link.calls,
              (std::vector<std::string>{"open TrackDB card 0 mode 144", "count 3", "read 3 1", "close 3"}));
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(handheld.recordsRead(), 1u);
}

TEST(PlmLinkHandheld, NotFoundIsTheSyncManagersNotFoundAndOtherFailuresSayWhy) {
    ScriptedLink link;
    plm::LinkHandheld_t handheld(link);
    uint8_t handle = 0;
    EXPECT_EQ(handheld.openDatabase("TrackDB", 0, &handle, 0x90), plm::kSyncNotFound);
    EXPECT_EQ(handheld.problem(), "no TrackDB on the handheld");
    link.openError = 7;
    EXPECT_EQ(handheld.openDatabase("TrackDB", 0, &handle, 0x90), plm::kSyncIoError);
    EXPECT_EQ(handheld.problem(), "TrackDB could not be opened: the handheld answered with error 7");

    link.openError = 0;
    link.databases["TrackDB"] = {"a", "b"};
    link.loseAtRead = 1;
    ASSERT_EQ(handheld.openDatabase("TrackDB", 0, &handle, 0x90), plm::kSyncOk);
    std::vector<char> buffer(16);
    uint32_t size = 0;
    EXPECT_EQ(readInto(handheld, handle, 1, buffer, size), plm::kSyncIoError);
    EXPECT_EQ(handheld.problem(),
              "the link to the handheld was lost reading record 1 of TrackDB: the connection was closed");
    link.databases["TrackDB"][0] = std::string(17, 'y');
    EXPECT_EQ(readInto(handheld, handle, 0, buffer, size), plm::kSyncRecordTooLong); // never past the buffer
}

} // namespace
