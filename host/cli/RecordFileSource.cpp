#include "host/cli/RecordFileSource.h"

#include "host/cli/SharedOptions.h"
#include "host/exports/Documents.h"
#include "host/hotsync/HotSync.h"
#include "host/platform/HotSyncRoot.h"

#include "glo/GLO_Identity.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace host {

void addRecordFileSource(CLI::App& command, RecordFileSource_t& source) {
    CLI::Option* file =
        command.add_option("file", source.file, "The record file (Tracks.tlx)")->check(CLI::ExistingFile);
    CLI::Option* user = command.add_option("--user", source.user,
                                           "Read the Tracks.tlx of this HotSync user instead of a FILE");
    file->excludes(user);
    addRootOption(command, source.root);
    command.parse_complete_callback([&source] {
        if (source.file.empty() && source.user.empty())
            throw CLI::RequiredError("a record file or --user NAME");
    });
}

std::string recordFileOf(const RecordFileSource_t& source) {
    if (source.user.empty())
        return source.file;
    const HotSyncRoot root(source.root);
    const std::optional<User> user = root.user(source.user);
    if (!user)
        throw UsageError("unknown user '" + source.user + "' in " + source.root +
                         " ('pathlet users list' shows the users)");
    const fs::path directory =
        fs::path(root.path()) / user->directory / root.conduitDirectoryName(glo::CreatorCode);
    const fs::path file = directory / root.conduitFileName(*user).value_or("Tracks.tlx");
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        throw UsageError("user '" + source.user + "' has no " + file.filename().string() + " yet (" +
                         file.string() + "); a HotSync of the handheld writes it");
    return file.string();
}

OpenedRecordFile_t::OpenedRecordFile_t(const RecordFileSource_t& source, std::optional<uint32_t> given)
    : file(recordFileOf(source)), codePage(codePageFor(file, given)), context(startUp(codePage)),
      database(nav::Name_t(""), 3), info(readRecordFile(file, database)) {}

} // namespace host
