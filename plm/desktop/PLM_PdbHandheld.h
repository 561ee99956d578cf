#ifndef PLM_DESKTOP_PLM_PDBHANDHELD_H
#define PLM_DESKTOP_PLM_PDBHANDHELD_H

#include "plm/PLM_HandheldBase.h"

#include <string>
#include <vector>

namespace plm {

// A handheld made of Palm database files: a directory of .pdb/.prc files, or one .pdb file.
// Databases are found by the name in their header, records served in file order. The files are
// only ever read; one whose header or record list is inconsistent is not served.
class PdbHandheld_t : public HandheldBase_t {
public:
    // `path` is a directory or a single file. Nothing is read until a database is opened.
    explicit PdbHandheld_t(std::string path);

    // The database files found (for messages).
    std::vector<std::string> files() const;

protected:
    int32_t open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) override;

private:
    std::string m_path;
};

// The layout facts of a Palm database file, shared with the generator of test handhelds.
namespace pdb {
constexpr std::size_t kHeaderSize = 78;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kRecordCountOffset = 76;
constexpr std::size_t kRecordEntrySize = 8;
} // namespace pdb

} // namespace plm

#endif
