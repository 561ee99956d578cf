#include "host/platform/IniFile.h"

#include "glo/GLO_ReplacingFile.h"

#include <cerrno>
#include <filesystem>
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
    errno = 0;
    std::ifstream in(path);
    if (!in.is_open()) {
        // Missing is empty; unreadable is not, or a change saved over it would lose what it holds.
        const int code = errno;
        std::error_code error;
        if (code == ENOENT || (!std::filesystem::exists(path, error) && !error))
            return ini;
        throw std::runtime_error("cannot read " + path + ": " +
                                 std::generic_category().message(code != 0 ? code : EIO));
    }
    Section* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
            continue;
        // An indented header is a header too: read as a key, it would come back as a header once
        // the file is written again.
        if (trimmed[0] == '[' && trimmed.rfind(']') != std::string::npos && trimmed.rfind(']') > 0) {
            const std::string name = trimmed.substr(1, trimmed.rfind(']') - 1);
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

void IniFile::eraseSection(const std::string& name) {
    const auto found = m_index.find(name);
    if (found == m_index.end())
        return;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(found->second));
    reindex();
}

bool IniFile::renameSection(const std::string& from, const std::string& to) {
    const auto found = m_index.find(from);
    if (found == m_index.end() || m_index.count(to))
        return false;
    m_sections[found->second].first = to;
    reindex();
    return true;
}

void IniFile::reindex() {
    m_index.clear();
    for (std::size_t at = 0; at < m_sections.size(); ++at)
        m_index.emplace(m_sections[at].first, at);
}

} // namespace host
