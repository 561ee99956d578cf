#include "plm/desktop/PLM_PdbHandheld.h"

#include "plm/PLM_SyncErrors.h"
#include "plm/desktop/PLM_PdbFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace plm {

namespace {

namespace fs = std::filesystem;

bool isDatabaseFile(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pdb" || extension == ".prc";
}

bool printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// Up to `count` more bytes of the file: fewer where it ends.
std::string readUpTo(std::ifstream& in, uint64_t count) {
    std::string bytes(static_cast<std::size_t>(count), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// The name in a file's header, or empty when the file has no whole name.
std::string headerName(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return pdb::readName(readUpTo(in, pdb::kNameSize));
}

// Why a file cannot be opened for reading, or empty when it can. Permission is the usual cause,
// and the one a user can mend.
std::string unreadableBecause(const fs::path& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (in.is_open())
        return {};
    const int code = errno;
    return code != 0 ? std::generic_category().message(code) : "it cannot be opened";
}

std::string filesThere(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " database file there" : " database files there");
}

// Records run from their offset to the next record's offset, the last to the end of the file.
class PdbDatabase_t : public HandheldDatabase_t {
public:
    PdbDatabase_t(const fs::path& path, std::vector<uint64_t> bounds, std::string& problem)
        : m_in(path, std::ios::binary), m_bounds(std::move(bounds)), m_name(path.filename().string()),
          m_problem(problem) {}

    uint16_t recordCount() const override { return static_cast<uint16_t>(m_bounds.size() - 1); }

    int32_t readRecord(uint16_t index, char* buffer, uint16_t capacity, uint32_t* size) override {
        const uint64_t begin = m_bounds[index];
        const uint64_t length = m_bounds[index + 1u] - begin;
        if (length > capacity) {
            m_problem = m_name + " is damaged: record " + std::to_string(index) + " has " +
                        std::to_string(length) + " bytes, more than a handheld record can hold (" +
                        std::to_string(capacity) + ")";
            return kSyncRecordTooLong;
        }
        m_in.clear();
        m_in.seekg(static_cast<std::streamoff>(begin));
        if (!m_in.read(buffer, static_cast<std::streamsize>(length))) {
            m_problem = "cannot read record " + std::to_string(index) + " of " + m_name;
            return kSyncIoError;
        }
        *size = static_cast<uint32_t>(length);
        return kSyncOk;
    }

    bool good() const { return m_in.is_open(); }

private:
    std::ifstream m_in;
    std::vector<uint64_t> m_bounds; // record offsets, then the file size
    std::string m_name;
    std::string& m_problem; // the handheld's, which outlives its open databases
};

// Checks the header and the record list; returns the record bounds, or a code and why. Only the
// header and the list are read: records stay on disk until they are asked for.
int32_t readBounds(const fs::path& path, std::vector<uint64_t>& bounds, std::string& why) {
    std::error_code error;
    const uint64_t fileSize = fs::file_size(path, error);
    if (error) {
        why = "cannot read it: " + error.message();
        return kSyncIoError;
    }
    std::ifstream in(path, std::ios::binary);
    try {
        std::string start = readUpTo(in, pdb::kHeaderSize);
        const uint64_t listEnd = pdb::listEnd(pdb::readHeader(start, fileSize));
        if (listEnd <= fileSize)
            start += readUpTo(in, listEnd - pdb::kHeaderSize);
        bounds = pdb::readLayout(start, fileSize).bounds;
    } catch (const pdb::Damaged_t& e) {
        why = e.what();
        return kSyncBadDatabase;
    }
    return kSyncOk;
}

} // namespace

namespace {

bool listable(const fs::path& directory, std::error_code& error) {
    fs::directory_iterator listing(directory, error);
    return !error;
}

} // namespace

PdbHandheld_t::PdbHandheld_t(std::string path) : m_path(std::move(path)) {}

std::vector<std::string> PdbHandheld_t::files() const {
    std::vector<std::string> found;
    std::error_code error;
    if (fs::is_directory(m_path, error)) {
        for (const auto& entry : fs::directory_iterator(m_path, error))
            if (entry.is_regular_file(error) && isDatabaseFile(entry.path()))
                found.push_back(entry.path().string());
        std::sort(found.begin(), found.end());
    } else if (fs::is_regular_file(m_path, error)) {
        found.push_back(m_path);
    }
    return found;
}

int32_t PdbHandheld_t::open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) {
    m_problem.clear();
    m_warnings.clear();
    const std::vector<std::string> candidates = files();
    int32_t result = kSyncNotFound;
    std::string used;
    std::string unreadable; // the first file that could not be looked into, and why
    for (const std::string& file : candidates) {
        if (const std::string why = unreadableBecause(file); !why.empty()) {
            if (unreadable.empty())
                unreadable = "cannot read " + file + ": " + why;
            continue;
        }
        if (headerName(file) != name)
            continue;
        const std::string shown = fs::path(file).filename().string();
        if (!used.empty()) {
            m_warnings.push_back(shown + " also holds " + name + " and was not used (" + used + " was)");
            continue;
        }
        std::vector<uint64_t> bounds;
        std::string why;
        int32_t code = readBounds(file, bounds, why);
        std::unique_ptr<PdbDatabase_t> opened;
        if (code == kSyncOk) {
            opened = std::make_unique<PdbDatabase_t>(file, std::move(bounds), m_problem);
            if (!opened->good()) {
                code = kSyncIoError;
                why = "cannot open it";
            }
        }
        if (code != kSyncOk) {
            // A damaged copy does not hide a good one after it.
            if (result == kSyncNotFound) {
                result = code;
                m_problem = shown + " is damaged: " + why;
            } else {
                m_warnings.push_back(shown + " also holds " + name + " and is damaged: " + why);
            }
            continue;
        }
        if (result != kSyncNotFound)
            m_warnings.push_back(m_problem + "; " + shown + " was used instead");
        m_problem.clear();
        used = shown;
        database = std::move(opened);
        result = kSyncOk;
    }
    if (result == kSyncNotFound) {
        std::error_code error;
        const bool directory = fs::is_directory(m_path, error);
        if (!unreadable.empty())
            m_problem = "no " + name + " found: " + unreadable +
                        " (the files must be readable by the user "
                        "running the HotSync)";
        else if (directory && !listable(m_path, error))
            m_problem = "cannot list " + m_path + ": " + error.message() +
                        " (the directory must be readable "
                        "by the user running the HotSync)";
        else if (directory)
            m_problem = "no " + name + " in " + m_path + " (" + filesThere(candidates.size()) + ")";
        else if (!isDatabaseFile(m_path))
            m_problem = "no " + name + " in " + m_path + " (not a database file)";
        else if (const std::string other = headerName(m_path); !other.empty() && printable(other))
            m_problem = "no " + name + " in " + m_path + " (it holds a database named '" + other + "')";
        else
            m_problem = "no " + name + " in " + m_path + " (not a Palm database)";
    }
    return result;
}

} // namespace plm
