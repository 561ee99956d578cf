#include "host/hotsync/HotSyncWords.h"

#include "glo/GLO_Identity.h"
#include "glo/GLO_ReplacingFile.h"
#include "host/text/Utf8Text.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/statvfs.h>
#include <system_error>

namespace fs = std::filesystem;

namespace host {

std::string withThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

std::string counted(uint64_t count, const std::string& noun) {
    return withThousands(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string countWords(uint64_t tracks, uint64_t points) {
    return counted(tracks, "track") + ", " + counted(points, "point");
}

namespace {

std::string diskFull(const std::string& file) {
    return "cannot write " + file +
           ": the disk holding it is full (free some space and HotSync again; the "
           "old file is kept)";
}

} // namespace

std::string writeProblem(const std::string& directory, const std::string& file, std::error_code failure) {
    std::error_code error;
    const fs::path path(directory);
    if (failure == std::errc::no_space_on_device)
        return diskFull(file);
    if (!fs::exists(fs::symlink_status(path, error)))
        return "the conduit directory " + directory + " does not exist";
    if (!fs::is_directory(path, error))
        return directory + " should be the conduit's directory but is a file";
    try {
        glo::ReplacingFile_t probe((path / ".pathlet-probe").string());
    } catch (const std::system_error& e) {
        return "cannot write " + file + ": " + e.code().message();
    }
    struct statvfs disk {};
    if (::statvfs(directory.c_str(), &disk) == 0 && disk.f_bavail * disk.f_bsize < (1u << 20))
        return diskFull(file);
    return "cannot write " + file + (failure ? ": " + failure.message() : std::string());
}

namespace {

// Handheld times count seconds from 1989-12-31 00:00:00 UTC.
constexpr int64_t kHandheldEpoch = 631065600;

std::string utcText(int64_t unixSeconds) {
    const auto at = std::chrono::sys_seconds(std::chrono::seconds(unixSeconds));
    const auto day = std::chrono::floor<std::chrono::days>(at);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss<std::chrono::seconds> time(at - day);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld UTC", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return text;
}

std::string shortDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string codePageHint(uint32_t codePage) {
    return "not text of code page " + std::to_string(codePage) +
           " (a lead byte without the byte that completes it); if the handheld uses another one, give it "
           "with "
           "--codepage";
}

} // namespace

std::optional<std::string> refusedValueWords(const app::HandheldPlace_t& place, uint32_t codePage) {
    std::string where =
        "track log '" + fromCodePage(place.trackLog, codePage) + "', record " + std::to_string(place.record);
    if (place.point)
        where += ", point " + std::to_string(*place.point);
    switch (place.field) {
    case app::RefusedField_t::None:
        return std::nullopt;
    case app::RefusedField_t::Latitude:
        return where + ": latitude " + shortDecimal(place.degrees) + " is outside -90..90";
    case app::RefusedField_t::ColourCode:
        return where + ": colour code " + std::to_string(place.raw) +
               " is not one of the handheld's colours (0 to 15)";
    case app::RefusedField_t::Time:
        return where + ": the time " + utcText(place.raw + kHandheldEpoch) +
               " is past 2038-01-19 03:14:07 UTC, the last a desktop file can hold";
    case app::RefusedField_t::NameText:
        return "the name of the track log in record " + std::to_string(place.record) + " is " +
               codePageHint(codePage);
    }
    return std::nullopt;
}

std::string failureWords(const HotSyncFacts& facts) {
    if (facts.userProblem)
        return *facts.userProblem;
    if (!facts.user)
        return "unknown user '" + facts.userName + "' ('pathlet users list' shows the users)";
    const app::HotSyncOutcome_t& outcome = facts.outcome;
    const std::string database = glo::TrackDatabaseName;
    if (outcome.end == app::HotSyncEnd_t::RegisterRefused)
        return "the conduit did not run: the Sync Manager refused it (code " +
               std::to_string(outcome.result) + ")";
    if (!outcome.failure)
        return "the Sync Manager could not end the HotSync (code " + std::to_string(outcome.result) +
               "), though the conduit's work was done";
    const app::HotSyncFailure_t& failure = *outcome.failure;
    if (failure.handheld) {
        if (const auto refused = refusedValueWords(*failure.handheld, facts.codePage))
            return database + " is damaged: " + *refused;
    }
    if (failure.kind == app::FailureKind_t::SyncManager)
        return !facts.handheldProblem.empty() ? facts.handheldProblem
               : failure.handheld ? "the handheld's " + database + " could not be read at record " +
                                        std::to_string(failure.handheld->record) + " (code " +
                                        std::to_string(failure.syncManagerCode) + ")"
                                  : "the handheld's " + database + " could not be read (code " +
                                        std::to_string(failure.syncManagerCode) + ")";
    if (failure.kind == app::FailureKind_t::InvalidText)
        return "a track name on the handheld is " + codePageHint(facts.codePage);
    if (failure.kind == app::FailureKind_t::System || failure.kind == app::FailureKind_t::Unknown) {
        // The desktop file: the conduit's own failures are exceptions of its kind, a system error
        // (the file's stream among them) is the file's.
        const std::string directory = facts.root->path() + "/" + facts.user->directory + "/" +
                                      facts.root->conduitDirectoryName(glo::CreatorCode);
        const std::string file =
            outcome.desktopFile.empty() ? directory + "/Tracks.tlx" : outcome.desktopFile;
        return writeProblem(directory, file, failure.systemError);
    }
    if (failure.source.starts_with("PLM_Settings.") && facts.root && !facts.root->settingsProblem().empty())
        return "the user's settings could not be written: " + facts.root->settingsProblem();
    if (failure.kind == app::FailureKind_t::Module && failure.source.starts_with("Settings."))
        return "the user's settings could not be read or written" +
               (failure.message.empty() ? std::string() : ": " + failure.message);
    const std::string& why = failure.message.empty() ? failure.detail : failure.message;
    return "the conduit stopped (" + failure.source + " line " + std::to_string(failure.line) + ")" +
           (why.empty() ? std::string(" without saying why") : ": " + why);
}

} // namespace host
