#include "host/platform/DesktopLog.h"
#include "host/platform/HotSyncRoot.h"
#include "host/platform/HugePageHeap.h"
#include "host/platform/IniFile.h"
#include "host/platform/UserDirectoryName.h"
#include "host/text/JsonWriter.h"
#include "host/text/Utf8Text.h"

#include "glo/GLO_Sanitizers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

TEST(HostIniFile, KeepsExactSectionNamesAndOrder) {
    const auto path = std::filesystem::temp_directory_path() / ("pathlet_ini_" + std::to_string(::getpid()));
    host::IniFile ini;
    ini.set("  Odd = name ", "id", "7");
    ini.set("B", "dir", "b");
    ini.set("  Odd = name ", "dir", "odd");
    ini.save(path.string());
    const host::IniFile back = host::IniFile::load(path.string());
    EXPECT_EQ(back.get("  Odd = name ", "dir"), "odd");
    EXPECT_EQ(back.sections().front().first, "  Odd = name ");
    EXPECT_FALSE(back.get("B", "id").has_value());
    std::filesystem::remove(path);
}

TEST(HostHotSyncRoot, DirectoryNamesNeverLeaveTheRoot) {
    EXPECT_EQ(host::directoryNameFor("Bob Smith"), "Bob_Smith");
    EXPECT_EQ(host::directoryNameFor(".."), "user");
    EXPECT_EQ(host::directoryNameFor("../../etc"), "_.._etc");
    EXPECT_EQ(host::directoryNameFor("a/b\\c"), "a_b_c");
    EXPECT_EQ(host::directoryNameFor("Caf\xE9"), "Caf_");
    // Letters of every script stay; blanks, controls and broken sequences do not.
    EXPECT_EQ(host::directoryNameFor("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F"),
              "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD_\xD0\x9F");
    EXPECT_EQ(host::directoryNameFor("Jos\xC3\xA9\xE2\x80\x83M\xC3\xBCller"),
              "Jos\xC3\xA9_M\xC3\xBCller");                     // em space
    EXPECT_EQ(host::directoryNameFor("a\xC3"), "a_");           // cut sequence
    EXPECT_EQ(host::directoryNameFor("\xC0\xAF"), "__");        // overlong '/'
    EXPECT_EQ(host::directoryNameFor("\xED\xA0\x80x"), "___x"); // a surrogate
    // A name never outgrows a file name, and is never cut inside a character.
    std::string long_;
    for (int i = 0; i < 127; ++i)
        long_ += "\xE5\xB1\xB1"; // 山
    const std::string cut = host::directoryNameFor(long_);
    EXPECT_EQ(cut.size(), 240u);
    EXPECT_EQ(cut.substr(237), "\xE5\xB1\xB1");
    EXPECT_TRUE(host::isRootFileName("users.ini"));
    EXPECT_TRUE(host::isRootFileName("HotSync.log"));
    EXPECT_FALSE(host::isRootFileName("users"));
}

TEST(HostIniFile, SectionsAreRemovedAndRenamedInPlace) {
    host::IniFile ini;
    ini.set("A", "id", "1");
    ini.set("B", "id", "2");
    ini.set("C", "id", "3");
    EXPECT_FALSE(ini.renameSection("B", "C"));
    EXPECT_FALSE(ini.renameSection("Z", "Y"));
    EXPECT_TRUE(ini.renameSection("B", "Bee"));
    ini.eraseSection("A");
    ASSERT_EQ(ini.sections().size(), 2u);
    EXPECT_EQ(ini.sections()[0].first, "Bee");
    EXPECT_EQ(ini.get("Bee", "id"), "2");
    EXPECT_EQ(ini.get("C", "id"), "3");
    EXPECT_FALSE(ini.hasSection("B"));
    ini.set("C", "dir", "c"); // the index still finds what moved
    EXPECT_EQ(ini.sections()[1].second.size(), 2u);
}

TEST(HostUtf8Text, CodePageNamesBecomeValidUtf8ForJson) {
    host::JsonWriter json;
    json.string(host::fromCodePage("\xE9\x80\x81", 1252));
    EXPECT_EQ(json.text(), "\"\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD\"");
}

TEST(HostUtf8Text, XmlTextReplacesWhatXmlCannotHold) {
    EXPECT_EQ(host::xmlEscape(host::toUtf8("a<&>\"'\x01\xE9", 1252)),
              "a&lt;&amp;&gt;&quot;&apos;\xEF\xBF\xBD\xC3\xA9");
    EXPECT_EQ(host::toUtf8("\x93\x8c\x82", 932), "\xE6\x9D\xB1\xEF\xBF\xBD"); // a lone lead byte at the end
}

TEST(HostHotSyncRoot, ConduitsIniNamesTheConduitsDirectory) {
    const auto root = std::filesystem::temp_directory_path() / ("pathlet_root_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    host::HotSyncRoot hotsync(root.string());
    EXPECT_EQ(hotsync.conduitDirectoryName("VTRK"), "Pathlet");
    host::IniFile conduits;
    conduits.set("VTRK", "dir", "Tracks");
    conduits.save((root / "conduits.ini").string());
    const host::User user = hotsync.addUser("Zoe", std::nullopt, std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(root / "Zoe" / "Tracks"));
    char buffer[260];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(hotsync.conduitDirectory("VTRK", buffer, &size), 0);
    EXPECT_STREQ(buffer, "Tracks");
    EXPECT_GT(hotsync.rootDirectory(buffer, &size), 0);
    EXPECT_EQ(std::string(buffer), root.string() + "/");
    uint32_t id = 0;
    EXPECT_EQ(hotsync.userId("Zoe", &id), 0);
    EXPECT_EQ(id, user.id);
    EXPECT_NE(hotsync.userId("zoe", &id), 0); // user names are exact
    std::filesystem::remove_all(root);
}

TEST(HostHotSyncRoot, UsersSharingAnIdOrDirectoryAreRefusedWithTheReason) {
    const auto root =
        std::filesystem::temp_directory_path() / ("pathlet_users_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    {
        std::ofstream ini(root / "users.ini");
        ini << "[Ann]\nid=1\ndir=Ann\n\n[Bob]\nid=1\ndir=Bob\n\n[Cy]\nid=2\ndir=Ann\n\n[Di]\nid=x\ndir=Di\n\n"
               "[Ed]\nid=3\ndir=Ed\n";
    }
    host::HotSyncRoot hotSyncRoot(root.string());
    ASSERT_EQ(hotSyncRoot.users().size(), 1u);
    EXPECT_EQ(hotSyncRoot.users()[0].name, "Ed");
    EXPECT_EQ(hotSyncRoot.problems().size(), 4u);
    EXPECT_NE(hotSyncRoot.problemWith("Bob").value_or("").find("its id 1 is also given to 'Ann'"),
              std::string::npos);
    EXPECT_NE(hotSyncRoot.problemWith("Cy").value_or("").find("its directory 'Ann' is also given to"),
              std::string::npos);
    EXPECT_NE(hotSyncRoot.problemWith("Di").value_or("").find("its id 'x' is not a number"),
              std::string::npos);
    // A valid user whose directory is gone is told so, with the way back.
    EXPECT_EQ(hotSyncRoot.problemWith("Ed"),
              "the directory of user 'Ed', " + (root / "Ed").string() +
                  ", is missing: put it back, or run 'pathlet users remove \"Ed\"' "
                  "and add the user again");
    std::filesystem::create_directory(root / "Ed");
    EXPECT_FALSE(hotSyncRoot.problemWith("Ed"));
    uint32_t id = 0;
    EXPECT_NE(hotSyncRoot.userId("Ann", &id), 0); // the conduit never gets a shared id
    EXPECT_THROW(hotSyncRoot.addUser("Fay", 2u, std::nullopt), std::runtime_error); // taken by Cy
    std::filesystem::remove_all(root);
}

// The stamp of HotSync.log and the terminal is the desktop's local time, in any zone.
TEST(HostDesktopLog, StampsAreLocalTimeInEveryZone) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    const std::time_t summerNoon = 1625140800; // 2021-07-01 12:00:00 UTC
    const std::time_t winterNoon = 1609502400; // 2021-01-01 12:00:00 UTC
    const std::pair<const char*, std::pair<const char*, const char*>> zones[] = {
        {"UTC", {"2021-07-01 12:00:00", "2021-01-01 12:00:00"}},
        {"Europe/Berlin", {"2021-07-01 14:00:00", "2021-01-01 13:00:00"}}, // daylight saving
        {"Asia/Kolkata", {"2021-07-01 17:30:00", "2021-01-01 17:30:00"}},  // a half hour
        {"America/St_Johns", {"2021-07-01 09:30:00", "2021-01-01 08:30:00"}},
    };
    for (const auto& [zone, stamps] : zones) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(host::localStamp(summerNoon), stamps.first) << zone;
        EXPECT_EQ(host::localStamp(winterNoon), stamps.second) << zone;
    }
    if (saved)
        ::setenv("TZ", before.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

namespace {

// The flags of the mapping of this process that holds `address`, as /proc/self/smaps gives them
// ("rd wr mr mw me ac hg": hg is advised for huge pages), with its name; empty when none holds it.
[[maybe_unused]] std::pair<std::string, std::string> mappingOf(const void* address) {
    std::ifstream smaps("/proc/self/smaps");
    const auto at = reinterpret_cast<uintptr_t>(address);
    bool holds = false;
    std::string name;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long long begin = 0, end = 0;
        char path[256] = "";
        if (std::sscanf(line.c_str(), "%llx-%llx %*s %*s %*s %*s %255s", &begin, &end, path) >= 2 &&
            line.find(':') > line.find(' ')) {
            holds = begin <= at && at < end;
            name = path;
        } else if (holds && line.rfind("VmFlags:", 0) == 0) {
            return {line.substr(8), name};
        }
    }
    return {};
}

// In a process of its own (the heap is readied for good): whether blocks of a track's size made
// after the heap was readied lie in the heap, in the stretch advised for huge pages. Says what it
// found when they do not.
[[maybe_unused]] bool trackBlocksLieInTheAdvisedHeap() {
    if (!host::reserveHugePageHeap(uint64_t{64} << 20)) {
        std::fprintf(stderr, "the heap was not readied\n");
        return false;
    }
    std::vector<std::vector<char>> tracks;
    for (int i = 0; i < 20; ++i)
        tracks.emplace_back(310000, static_cast<char>(i)); // 10,000 points of 31 bytes
    for (const std::vector<char>& track : tracks) {
        const auto [flags, name] = mappingOf(track.data() + track.size() / 2);
        if (name != "[heap]" || flags.find(" hg") == std::string::npos) {
            std::fprintf(stderr, "a block lies in '%s' with flags%s\n", name.c_str(), flags.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

// A HotSync's model comes from a heap advised for huge pages, not from a mapping of 4 KB pages for
// each track; too small a model is not worth it and leaves the heap alone.
TEST(HostHugePageHeap, ModelBlocksComeFromTheHeapAdvisedForHugePages) {
#ifdef GLO_ADDRESS_SANITIZER
    // AddressSanitizer's allocator keeps its own heap, which the advice would not reach.
    EXPECT_FALSE(host::reserveHugePageHeap(uint64_t{64} << 20));
#else
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no huge pages on request";
    EXPECT_FALSE(host::reserveHugePageHeap(uint64_t{1} << 20));
    EXPECT_FALSE(host::reserveHugePageHeap(0));
    EXPECT_EXIT(std::_Exit(trackBlocksLieInTheAdvisedHeap() ? 0 : 1), testing::ExitedWithCode(0), "");
#endif
}
