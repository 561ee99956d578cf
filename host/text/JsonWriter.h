#ifndef HOST_TEXT_JSONWRITER_H
#define HOST_TEXT_JSONWRITER_H

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The shortest text that reads back as exactly `value` ("412.5", "-0.0", "5e-324"); every number the
// host writes in JSON and tables is written this way (GPX takes decimalText below).
std::string numberText(double value);

// Writes JSON text: commas, quotes and escapes are its business, so every document is valid JSON.
// A container opened with `oneElementPerLine` puts each element on its own line.
class JsonWriter {
public:
    JsonWriter& beginObject(bool oneElementPerLine = false);
    JsonWriter& endObject();
    JsonWriter& beginArray(bool oneElementPerLine = false);
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    // UTF-8 text (invalid bytes are the caller's to have converted).
    JsonWriter& string(std::string_view utf8);
    JsonWriter& integer(int64_t value);
    // JSON has no NaN or infinity: callers leave such values out; one that slips through is null.
    JsonWriter& number(double value);
    // A value as shortestText writes it: one that came from a float as that float. Not finite: null.
    JsonWriter& shortestNumber(double value);
    // A number already written as JSON text.
    JsonWriter& rawNumber(std::string_view text);
    JsonWriter& null();

    const std::string& text() const { return m_text; }
    // Moves what was written so far to `out` (for large documents).
    void drainTo(std::ostream& out);

private:
    void beforeValue();
    void open(char bracket, bool oneElementPerLine);
    void close(char bracket);
    struct Level {
        bool first = true;
        bool lines = false;
    };
    std::string m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

} // namespace host

#endif
