#include "host/platform/IniFile.h"

#include "glo/GLO_ReplacingFile.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

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
                ini.m_index.emplace(name, ini.m_sections.size());
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
    std::string text;
    for (const auto& [name, keys] : m_sections) {
        text += '[' + name + "]\n";
        for (const auto& [key, value] : keys)
            text += key + '=' + value + '\n';
        text += '\n';
    }
    try {
        glo::ReplacingFile_t file(path);
        if (file.buffer().sputn(text.data(), static_cast<std::streamsize>(text.size())) !=
            static_cast<std::streamsize>(text.size()))
            throw std::runtime_error("cannot write " + path);
        file.commit();
    } catch (const std::system_error& e) {
        throw std::runtime_error("cannot write " + path + ": " + e.code().message());
    }
}

IniFile::Section* IniFile::find(const std::string& name) {
    const auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : &m_sections[found->second].second;
}

const IniFile::Section* IniFile::find(const std::string& name) const {
    return const_cast<IniFile*>(this)->find(name);
}

bool IniFile::hasSection(const std::string& name) const {
    return find(name) != nullptr;
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
    const Section* keys = find(section);
    if (keys)
        for (const auto& [k, v] : *keys)
            if (k == key)
                return v;
    return std::nullopt;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    Section* keys = find(section);
    if (!keys) {
        m_index.emplace(section, m_sections.size());
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
