#ifndef HOST_INIFILE_H
#define HOST_INIFILE_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host {

// A small INI file that keeps its sections and keys in order. Section names are taken exactly as
// written between the brackets (user names may hold blanks and any other character but a line
// break); keys and values are trimmed.
class IniFile {
public:
    using Section = std::vector<std::pair<std::string, std::string>>;

    static IniFile load(const std::string& path); // a missing file is empty
    void save(const std::string& path) const;     // throws std::runtime_error

    bool hasSection(const std::string& name) const;
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    void erase(const std::string& section, const std::string& key);
    const std::vector<std::pair<std::string, Section>>& sections() const { return m_sections; }

private:
    Section* find(const std::string& name);
    std::vector<std::pair<std::string, Section>> m_sections;
};

} // namespace host

#endif
