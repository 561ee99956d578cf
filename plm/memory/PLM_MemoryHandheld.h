#ifndef PLM_MEMORY_PLM_MEMORYHANDHELD_H
#define PLM_MEMORY_PLM_MEMORYHANDHELD_H

#include "plm/PLM_HandheldBase.h"

#include <map>
#include <string>
#include <vector>

namespace plm {

// A handheld held in memory: databases by name, records as byte strings.
class MemoryHandheld_t : public HandheldBase_t {
public:
    void addDatabase(const std::string& name, std::vector<std::string> records) {
        m_databases[name] = std::move(records);
    }

protected:
    int32_t open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) override;

private:
    std::map<std::string, std::vector<std::string>> m_databases;
};

} // namespace plm

#endif
