#include "host/text/JsonWriter.h"

#include "host/text/ShortestNumber.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace host {

std::string numberText(double value) {
    if (value == 0 && std::signbit(value))
        return "-0.0"; // "-0" reads back as the integer 0 in many parsers
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void JsonWriter::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    if (!level.first)
        m_text += level.lines ? "," : ", ";
    if (level.lines)
        m_text += "\n" + std::string(m_levels.size(), ' ');
    level.first = false;
}

void JsonWriter::open(char bracket, bool oneElementPerLine) {
    beforeValue();
    m_text += bracket;
    m_levels.push_back({true, oneElementPerLine});
}

void JsonWriter::close(char bracket) {
    const Level level = m_levels.back();
    m_levels.pop_back();
    if (level.lines && !level.first)
        m_text += "\n" + std::string(m_levels.size(), ' ');
    m_text += bracket;
}

JsonWriter& JsonWriter::beginObject(bool oneElementPerLine) {
    open('{', oneElementPerLine);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray(bool oneElementPerLine) {
    open('[', oneElementPerLine);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    string(name);
    m_text += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view utf8) {
    beforeValue();
    m_text += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_text += '\\';
            m_text += c;
        } else if (c == '\n') {
            m_text += "\\n";
        } else if (c == '\t') {
            m_text += "\\t";
        } else if (c == '\r') {
            m_text += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            m_text += escape;
        } else {
            m_text += c;
        }
    }
    m_text += '"';
    return *this;
}

JsonWriter& JsonWriter::integer(int64_t value) {
    beforeValue();
    m_text += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::number(double value) {
    if (!std::isfinite(value))
        return null();
    beforeValue();
    m_text += numberText(value);
    return *this;
}

JsonWriter& JsonWriter::shortestNumber(double value) {
    if (!std::isfinite(value))
        return null();
    beforeValue();
    m_text += shortestText(value);
    return *this;
}

JsonWriter& JsonWriter::rawNumber(std::string_view text) {
    beforeValue();
    m_text += text;
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    m_text += "null";
    return *this;
}

void JsonWriter::drainTo(std::ostream& out) {
    out << m_text;
    m_text.clear();
}

} // namespace host
