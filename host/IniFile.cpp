#include "IniFile.h"

#include <fstream>
#include <stdexcept>

namespace host {

namespace {
std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

IniFile IniFile::load(const std::string& path) {
    IniFile ini;
    std::ifstream in(path);
    Section* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
            continue;
        if (line[0] == '[' && line.rfind(']') != std::string::npos && line.rfind(']') > 0) {
            const std::string name = line.substr(1, line.rfind(']') - 1);
            current = ini.find(name);
            if (!current) {
                ini.m_sections.emplace_back(name, Section{});
                current = &ini.m_sections.back().second;
            }
            continue;
        }
        const auto equals = trimmed.find('=');
        if (current && equals != std::string::npos)
            current->emplace_back(trim(trimmed.substr(0, equals)), trim(trimmed.substr(equals + 1)));
    }
    return ini;
}

void IniFile::save(const std::string& path) const {
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::trunc);
        for (const auto& [name, keys] : m_sections) {
            out << '[' << name << "]\n";
            for (const auto& [key, value] : keys)
                out << key << '=' << value << '\n';
            out << '\n';
        }
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + path);
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot replace " + path);
}

IniFile::Section* IniFile::find(const std::string& name) {
    for (auto& [sectionName, keys] : m_sections)
        if (sectionName == name)
            return &keys;
    return nullptr;
}

bool IniFile::hasSection(const std::string& name) const {
    return const_cast<IniFile*>(this)->find(name) != nullptr;
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
    const Section* keys = const_cast<IniFile*>(this)->find(section);
    if (keys)
        for (const auto& [k, v] : *keys)
            if (k == key)
                return v;
    return std::nullopt;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    Section* keys = find(section);
    if (!keys) {
        m_sections.emplace_back(section, Section{});
        keys = &m_sections.back().second;
    }
    for (auto& [k, v] : *keys)
        if (k == key) {
            v = value;
            return;
        }
    keys->emplace_back(key, value);
}

void IniFile::erase(const std::string& section, const std::string& key) {
    if (Section* keys = find(section))
        std::erase_if(*keys, [&](const auto& entry) { return entry.first == key; });
}

} // namespace host
