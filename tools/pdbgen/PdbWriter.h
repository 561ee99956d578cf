#ifndef TOOLS_PDBGEN_PDBWRITER_H
#define TOOLS_PDBGEN_PDBWRITER_H

#include <string>
#include <vector>

namespace pdbgen {

// Writes a Palm database file: the 78-byte header (big-endian, as the format has it), the record
// list, two bytes of padding, then the records in order.
std::string buildPdb(const std::string& name, const std::string& type, const std::string& creator,
                     const std::vector<std::string>& records);

// Writes the file; throws std::runtime_error when it cannot.
void writeFile(const std::string& path, const std::string& bytes);

} // namespace pdbgen

#endif
