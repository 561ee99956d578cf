#include "host/hotsync/HotSyncWords.h"

#include "glo/GLO_Identity.h"
#include "glo/GLO_ReplacingFile.h"

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

std::string countWords(uint64_t tracks, uint64_t points) {
    return withThousands(tracks) + (tracks == 1 ? " track, " : " tracks, ") + withThousands(points) +
           (points == 1 ? " point" : " points");
}

std::optional<FailurePlace> failurePlace(const DesktopLog& log) {
    for (auto entry = log.entries().rbegin(); entry != log.entries().rend(); ++entry) {
        if (entry->activity != 22)
            continue;
        // SOURCE.EXT-LINE-VERSION[-Beta\n<stamp>][\n<message>]
        const std::string& text = entry->text;
        const auto firstBreak = text.find('\n');
        const std::string first = text.substr(0, firstBreak);
        const auto dash = first.find('-');
        FailurePlace place{first.substr(0, dash),
                           dash == std::string::npos ? 0 : std::atoi(first.c_str() + dash + 1), ""};
        std::size_t messageStart = firstBreak;
        if (first.ends_with("-Beta") && messageStart != std::string::npos)
            messageStart = text.find('\n', messageStart + 1);
        if (messageStart != std::string::npos)
            place.message = text.substr(messageStart + 1);
        return place;
    }
    return std::nullopt;
}

std::string writeProblem(const std::string& directory, const std::string& file) {
    std::error_code error;
    const fs::path path(directory);
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
        return "cannot write " + file + ": the disk holding it is full";
    return "cannot write " + file;
}

std::string failureWords(const HotSyncFacts& facts) {
    if (facts.userProblem)
        return *facts.userProblem;
    if (!facts.user)
        return "unknown user '" + facts.userName + "' ('pathlet users list' shows the users)";
    const std::optional<FailurePlace> place = failurePlace(*facts.log);
    if (!place)
        return "the conduit did not run: the Sync Manager refused it (code " + std::to_string(facts.result) +
               ")";
    if (place->source == "PALMDATABASE.CPP")
        return facts.handheldProblem.empty()
                   ? "the handheld's " + std::string(glo::TrackDatabaseName) + " could not be read (code " +
                         std::to_string(facts.result) + ")"
                   : facts.handheldProblem;
    if (place->source == "CONDUIT.CPP") {
        const std::string directory = facts.root->path() + "/" + facts.user->directory + "/" +
                                      facts.root->conduitDirectoryName(glo::CreatorCode);
        const std::string file = facts.root->conduitFileName(*facts.user).value_or(directory + "/Tracks.tlx");
        return writeProblem(directory, file);
    }
    if (place->source == "GLO_MBSTRING.CPP")
        return "a track name on the handheld is not text of code page " + std::to_string(facts.codePage) +
               " (a lead byte without the byte that completes it); if the handheld uses another one, "
               "give it with --codepage";
    if (place->source.starts_with("SETTINGS."))
        return "the user's settings could not be read or written" +
               (place->message.empty() ? std::string() : ": " + place->message);
    return "the conduit stopped (" + place->source + " line " + std::to_string(place->line) + ")" +
           (place->message.empty() ? std::string(" without saying why") : ": " + place->message);
}

} // namespace host
