#ifndef HOST_PLATFORM_INIFILE_H
#define HOST_PLATFORM_INIFILE_H

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace host {

// A small INI file that keeps its sections and keys in order. Section names are taken exactly as
// written between the brackets (user names may hold blanks and any other character but a line
// break); keys and values are trimmed.
class IniFile {
public:
    using Section = std::vector<std::pair<std::string, std::string>>;

    // A missing file is empty; reading takes time linear in the file's size. Throws
    // std::runtime_error for a file that exists and cannot be read.
    static IniFile load(const std::string& path);
    // Replaces the file whole (never through a link, nothing left behind on failure).
    // Throws std::runtime_error with the reason.
    void save(const std::string& path) const;

    bool hasSection(const std::string& name) const;
    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    void erase(const std::string& section, const std::string& key);
    // The section and its keys leave; the others keep their order.
    void eraseSection(const std::string& name);
    // Keeps the section's place and keys; false when `from` is missing or `to` is taken.
    bool renameSection(const std::string& from, const std::string& to);
    const std::vector<std::pair<std::string, Section>>& sections() const { return m_sections; }

private:
    Section* find(const std::string& name);
    const Section* find(const std::string& name) const;
    void reindex();
    std::vector<std::pair<std::string, Section>> m_sections;
    std::unordered_map<std::string, std::size_t> m_index; // section name to its place
};

} // namespace host

#endif
