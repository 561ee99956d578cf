#ifndef SYNTH_SYN_PDBFILE_H
#define SYNTH_SYN_PDBFILE_H

#include <string>
#include <vector>

namespace synth {

// A Palm database file as the generator makes them: the header of a backed-up database (version
// 1, created and modified at the same fixed time, never backed up), every record dirty with unique
// ids 1, 2, 3 ... The layout is plm::pdb's.
// @exception std::length_error for more than 65,535 records.
std::string buildPdb(const std::string& name, const std::string& type, const std::string& creator,
                     const std::vector<std::string>& records);

// Writes the file; throws std::runtime_error when it cannot.
void writeFile(const std::string& path, const std::string& bytes);

} // namespace synth

#endif
