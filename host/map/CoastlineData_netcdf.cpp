// Shorelines from a binned coastline data set, read through the netCDF C library. The library is
// loaded when a map first asks for shorelines, not with the program: it brings forty more
// libraries and megabytes that a HotSync has no use for. The file is checked like any other input:
// every index it holds is checked against its own arrays first.
#include "host/map/CoastlineData.h"

#include <netcdf.h>

#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <optional>

namespace host {

namespace {

// The library's functions this reader calls; all null when it is not installed.
struct NetCdf_t {
    decltype(&nc_open) open = nullptr;
    decltype(&nc_close) close = nullptr;
    decltype(&nc_inq_varid) inqVarid = nullptr;
    decltype(&nc_inq_varndims) inqVarndims = nullptr;
    decltype(&nc_inq_vardimid) inqVardimid = nullptr;
    decltype(&nc_inq_dimlen) inqDimlen = nullptr;
    decltype(&nc_get_vara_int) getVaraInt = nullptr;
    decltype(&nc_get_vara_short) getVaraShort = nullptr;

    bool loaded() const {
        return open && close && inqVarid && inqVarndims && inqVardimid && inqDimlen && getVaraInt &&
               getVaraShort;
    }
};

template <class Function> void bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
}

// Loaded once and kept: a library is not unloaded while the process may still call it.
const NetCdf_t& netCdf() {
    static const NetCdf_t functions = [] {
        NetCdf_t loaded;
        void* library = ::dlopen(PATHLET_NETCDF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return loaded;
        bind(library, "nc_open", loaded.open);
        bind(library, "nc_close", loaded.close);
        bind(library, "nc_inq_varid", loaded.inqVarid);
        bind(library, "nc_inq_varndims", loaded.inqVarndims);
        bind(library, "nc_inq_vardimid", loaded.inqVardimid);
        bind(library, "nc_inq_dimlen", loaded.inqDimlen);
        bind(library, "nc_get_vara_int", loaded.getVaraInt);
        bind(library, "nc_get_vara_short", loaded.getVaraShort);
        return loaded.loaded() ? loaded : NetCdf_t{};
    }();
    return functions;
}

class NetCdfFile_t {
public:
    explicit NetCdfFile_t(const std::string& file) : m_nc(netCdf()) {
        if (!m_nc.loaded() || m_nc.open(file.c_str(), NC_NOWRITE, &m_id) != NC_NOERR)
            m_id = -1;
    }
    ~NetCdfFile_t() {
        if (m_id >= 0)
            m_nc.close(m_id);
    }
    NetCdfFile_t(const NetCdfFile_t&) = delete;
    NetCdfFile_t& operator=(const NetCdfFile_t&) = delete;

    bool open() const { return m_id >= 0; }

    // The length of a one-dimensional variable.
    std::optional<std::size_t> length(const char* name) const {
        int variable = 0, dimensions = 0, dimension = 0;
        std::size_t size = 0;
        if (m_nc.inqVarid(m_id, name, &variable) != NC_NOERR ||
            m_nc.inqVarndims(m_id, variable, &dimensions) != NC_NOERR || dimensions != 1 ||
            m_nc.inqVardimid(m_id, variable, &dimension) != NC_NOERR ||
            m_nc.inqDimlen(m_id, dimension, &size) != NC_NOERR)
            return std::nullopt;
        return size;
    }

    std::optional<int> scalar(const char* name) const {
        const auto values = ints(name, 0, 1);
        return values ? std::optional<int>((*values)[0]) : std::nullopt;
    }

    std::optional<std::vector<int>> ints(const char* name, std::size_t start, std::size_t count) const {
        return read<int>(name, start, count, m_nc.getVaraInt);
    }
    std::optional<std::vector<short>> shorts(const char* name, std::size_t start, std::size_t count) const {
        return read<short>(name, start, count, m_nc.getVaraShort);
    }

private:
    template <class Value, class Get>
    std::optional<std::vector<Value>> read(const char* name, std::size_t start, std::size_t count,
                                           Get get) const {
        const auto size = length(name);
        int variable = 0;
        if (!size || start > *size || count > *size - start ||
            m_nc.inqVarid(m_id, name, &variable) != NC_NOERR)
            return std::nullopt;
        std::vector<Value> values(count);
        if (count > 0 && get(m_id, variable, &start, &count, values.data()) != NC_NOERR)
            return std::nullopt;
        return values;
    }

    const NetCdf_t& m_nc;
    int m_id = -1;
};

constexpr int kMinutesAround = 360 * 60, kMinutesFromPoleToPole = 180 * 60;

} // namespace

bool coastlineReaderBuilt() {
    return true;
}

std::vector<CoastLine_t> readCoastlines(const std::string& file, double westLongitude,
                                        const Extent_t& window) {
    NetCdfFile_t data(file);
    if (!data.open() || window.empty())
        return {};
    const auto minutes = data.scalar("Bin_size_in_minutes");
    const auto across = data.scalar("N_bins_in_360_longitude_range");
    const auto down = data.scalar("N_bins_in_180_degree_latitude_range");
    const auto bins = data.length("Id_of_first_segment_in_a_bin");
    const auto segments = data.length("Embedded_npts_levels_exit_entry_for_a_segment");
    const auto points = data.length("Relative_longitude_from_SW_corner_of_bin");
    if (!minutes || !across || !down || !bins || !segments || !points || *minutes <= 0 || *across <= 0 ||
        *down <= 0 || static_cast<int64_t>(*minutes) * *across != kMinutesAround ||
        static_cast<int64_t>(*minutes) * *down != kMinutesFromPoleToPole ||
        static_cast<std::size_t>(*across) * static_cast<std::size_t>(*down) != *bins)
        return {};
    const auto firstSegment = data.ints("Id_of_first_segment_in_a_bin", 0, *bins);
    const auto segmentCount = data.shorts("N_segments_in_a_bin", 0, *bins);
    const auto segmentInfo = data.ints("Embedded_npts_levels_exit_entry_for_a_segment", 0, *segments);
    const auto firstPoint = data.ints("Id_of_first_point_in_a_segment", 0, *segments);
    if (!firstSegment || !segmentCount || !segmentInfo || !firstPoint)
        return {};

    const double binDegrees = *minutes / 60.0, stepDegrees = binDegrees / 65535.0;
    std::vector<CoastLine_t> lines;
    for (std::size_t bin = 0; bin < *bins; ++bin) {
        const int64_t first = (*firstSegment)[bin], count = static_cast<uint16_t>((*segmentCount)[bin]);
        if (count == 0)
            continue;
        if (first < 0 || first + count > static_cast<int64_t>(*segments))
            return {};
        const double south =
            90.0 - static_cast<double>(bin / static_cast<std::size_t>(*across) + 1) * binDegrees;
        const double west = static_cast<double>(bin % static_cast<std::size_t>(*across)) * binDegrees;
        if (south > window.north || south + binDegrees < window.south)
            continue;
        // The bin's west edge on the map, wherever it shows (a window may reach past a full turn).
        const double offset = std::fmod(std::fmod(west - westLongitude, 360.0) + 360.0, 360.0);
        for (const double x : {offset - 360.0, offset, offset + 360.0}) {
            if (x > window.east || x + binDegrees < window.west)
                continue;
            for (int64_t s = first; s < first + count; ++s) {
                const auto index = static_cast<std::size_t>(s);
                const std::size_t n = static_cast<uint32_t>((*segmentInfo)[index]) >> 9;
                const int64_t start = (*firstPoint)[index];
                if (start < 0 || static_cast<std::size_t>(start) > *points ||
                    n > *points - static_cast<std::size_t>(start))
                    return {};
                const auto dx = data.shorts("Relative_longitude_from_SW_corner_of_bin",
                                            static_cast<std::size_t>(start), n);
                const auto dy = data.shorts("Relative_latitude_from_SW_corner_of_bin",
                                            static_cast<std::size_t>(start), n);
                if (!dx || !dy)
                    return {};
                CoastLine_t line;
                line.level = ((*segmentInfo)[index] >> 6) & 7;
                Extent_t extent;
                for (std::size_t i = 0; i < n; ++i) {
                    const double px = x + static_cast<uint16_t>((*dx)[i]) * stepDegrees;
                    const double py = south + static_cast<uint16_t>((*dy)[i]) * stepDegrees;
                    line.points.emplace_back(px, py);
                    extent.add(px, py);
                }
                if (n >= 2 && extent.west <= window.east && extent.east >= window.west &&
                    extent.south <= window.north && extent.north >= window.south)
                    lines.push_back(std::move(line));
            }
        }
    }
    return lines;
}

} // namespace host
