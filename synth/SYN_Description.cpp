#include "synth/SYN_Description.h"

#include "synth/SYN_TrackLog.h"

#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace synth {

namespace {

struct LineReader_t {
    int lineNumber = 0;

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("line " + std::to_string(lineNumber) + ": " + what);
    }

    long long integer(const std::string& text) const {
        try {
            std::size_t used = 0;
            const long long value = std::stoll(text, &used, 0);
            if (used != text.size())
                fail("not a number: " + text);
            return value;
        } catch (const std::logic_error&) {
            fail("not a number: " + text);
        }
    }

    double real(const std::string& text) const {
        try {
            std::size_t used = 0;
            const double value = std::stod(text, &used);
            if (used != text.size())
                fail("not a number: " + text);
            return value;
        } catch (const std::logic_error&) {
            fail("not a number: " + text);
        }
    }

    // A quoted name with \xNN and \\ escapes, or a bare word.
    std::string name(std::istringstream& in) const {
        in >> std::ws;
        if (in.peek() != '"') {
            std::string word;
            in >> word;
            return word;
        }
        in.get();
        std::string out;
        for (int c = in.get(); c != '"'; c = in.get()) {
            if (c == EOF)
                fail("unterminated name");
            if (c == '\\') {
                const int next = in.get();
                if (next == 'x') {
                    char hex[3] = {static_cast<char>(in.get()), static_cast<char>(in.get()), 0};
                    out.push_back(static_cast<char>(integer(std::string("0x") + hex)));
                } else if (next != EOF) {
                    out.push_back(static_cast<char>(next));
                }
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
        return out;
    }
};

// "key=value" split at its first '='.
std::pair<std::string, std::string> keyValue(const LineReader_t& reader, const std::string& option,
                                             const char* what) {
    const auto equals = option.find('=');
    if (equals == std::string::npos)
        reader.fail(std::string("unknown ") + what + " option " + option);
    return {option.substr(0, equals), option.substr(equals + 1)};
}

uint8_t parseFlags(const LineReader_t& reader, const std::string& value) {
    if (!value.empty() && std::isdigit(static_cast<unsigned char>(value[0])))
        return static_cast<uint8_t>(reader.integer(value));
    uint8_t flags = 0;
    std::istringstream names(value);
    for (std::string flag; std::getline(names, flag, ',');) {
        if (flag == "time")
            flags |= 1;
        else if (flag == "alt")
            flags |= 2;
        else if (flag == "aux")
            flags |= 4;
        else if (flag != "none")
            reader.fail("unknown flag " + flag);
    }
    return flags;
}

void parseLogOption(const LineReader_t& reader, TrackLog_t& log, const std::string& key,
                    const std::string& value) {
    auto u16 = [&] { return static_cast<uint16_t>(reader.integer(value)); };
    if (key == "color")
        log.colorCode = static_cast<uint8_t>(reader.integer(value));
    else if (key == "flags")
        log.pointFlags = parseFlags(reader, value);
    else if (key == "per-record")
        log.pointsPerRecord = u16();
    else if (key == "header-length")
        log.headerLength = u16();
    else if (key == "count")
        log.pointCount = u16();
    else if (key == "stride")
        log.pointStride = u16();
    else if (key == "name-offset")
        log.nameOffset = static_cast<uint32_t>(reader.integer(value));
    else if (key == "first-point")
        log.firstPointOffset = static_cast<uint32_t>(reader.integer(value));
    else
        reader.fail("unknown log option " + key);
}

Point_t parsePoint(const LineReader_t& reader, std::istringstream& in, bool raw) {
    std::string latitude, longitude;
    if (!(in >> latitude >> longitude))
        reader.fail("a point needs a latitude and a longitude");
    Point_t point;
    point.latitude =
        raw ? static_cast<int32_t>(reader.integer(latitude)) : semicircles(reader.real(latitude)) & ~1;
    point.longitude =
        raw ? static_cast<int32_t>(reader.integer(longitude)) : semicircles(reader.real(longitude));
    for (std::string option; in >> option;) {
        if (option == "seg") {
            point.latitude |= 1;
            continue;
        }
        const auto [key, value] = keyValue(reader, option, "point");
        if (key == "t")
            point.time = static_cast<uint32_t>(reader.integer(value));
        else if (key == "alt")
            point.altitude = static_cast<float>(reader.real(value));
        else if (key == "aux")
            point.auxiliary = static_cast<float>(reader.real(value));
        else
            reader.fail("unknown point option " + key);
    }
    return point;
}

} // namespace

std::vector<std::string> recordsFromDescription(const std::string& text) {
    std::vector<std::string> records;
    std::optional<TrackLog_t> log;
    int logLine = 0;
    auto flush = [&] {
        if (log) {
            std::vector<std::string> encoded;
            try {
                encoded = encodeTrackLog(*log);
            } catch (const std::length_error& e) {
                throw std::runtime_error("line " + std::to_string(logLine) + ": " + e.what());
            }
            for (std::string& record : encoded)
                records.push_back(std::move(record));
            log.reset();
        }
    };

    LineReader_t reader;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        ++reader.lineNumber;
        const auto hash = line.find('#');
        if (hash != std::string::npos && line.find('"') == std::string::npos)
            line.erase(hash);
        std::istringstream in(line);
        std::string statement;
        if (!(in >> statement))
            continue;
        if (statement == "log") {
            flush();
            log.emplace();
            logLine = reader.lineNumber;
            log->name = reader.name(in);
            for (std::string option; in >> option;) {
                const auto [key, value] = keyValue(reader, option, "log");
                parseLogOption(reader, *log, key, value);
            }
        } else if (statement == "point" || statement == "raw-point") {
            if (!log)
                reader.fail("a point outside a log");
            log->points.push_back(parsePoint(reader, in, statement == "raw-point"));
        } else if (statement == "record") {
            flush();
            std::string record;
            for (std::string hex; in >> hex;)
                record.push_back(static_cast<char>(reader.integer("0x" + hex)));
            records.push_back(record);
        } else if (statement == "empty") {
            flush();
            records.push_back(std::string(2, '\0'));
        } else {
            reader.fail("unknown statement " + statement);
        }
    }
    flush();
    return records;
}

} // namespace synth
