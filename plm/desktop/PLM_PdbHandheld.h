#ifndef PLM_DESKTOP_PLM_PDBHANDHELD_H
#define PLM_DESKTOP_PLM_PDBHANDHELD_H

#include "plm/PLM_HandheldBase.h"

#include <string>
#include <vector>

namespace plm {

// A handheld made of Palm database files: a directory of .pdb/.prc files, or one .pdb file.
// Databases are found by the name in their header, records served in file order. The files are
// only ever read; one whose header or record list is inconsistent is not served. Of several files
// holding a database of one name the first good one (in name order) is served.
class PdbHandheld_t : public HandheldBase_t {
public:
    // `path` is a directory or a single file. Nothing is read until a database is opened.
    explicit PdbHandheld_t(std::string path);

    // The database files found (for messages).
    std::vector<std::string> files() const;

    // Why the last open or read failed, in words ("no TrackDB in DIR", "TrackDB.pdb is damaged:
    // record 3 starts past the end of the file"); empty when nothing failed.
    const std::string& problem() const { return m_problem; }
    // Other files that hold the database opened and were not used, and why.
    const std::vector<std::string>& warnings() const { return m_warnings; }

protected:
    int32_t open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) override;

private:
    std::string m_path;
    std::string m_problem;
    std::vector<std::string> m_warnings;
};

} // namespace plm

#endif
