// How a data file name chooses one spectrum of a file that holds several: the file name, "#"
// and the spectrum's 1-based number ("survey.vms#2"). Numbers, not names, since names repeat.
// The program keeps the choice in the data file's name, so that every place that stores or
// passes that name (the file routines' arguments, "last_data.dat", the reports) carries it; a
// batch fitter names regions the same way.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace varnix::io {

struct RegionName {
    std::string file;                   // the name to open
    std::optional<std::size_t> region;  // 1-based; none for the file as a whole

    bool operator==(const RegionName&) const = default;
};

// "<file>#<n>", n written in at most nine decimal digits without sign or leading zero, names
// region n of <file>; any other name is a file as it stands. Honoured only when the whole
// name is not itself an existing file, so that a file whose own name ends in "#2" still opens.
RegionName splitRegionName(const std::string& name);

// The name of region `region` (1-based) of `file`.
std::string regionName(const std::string& file, std::size_t region);

}  // namespace varnix::io
