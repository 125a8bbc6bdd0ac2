#include "region_name.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace varnix::io {

namespace {

// The number a suffix writes, when it is one a name may carry.
std::optional<std::size_t> regionNumber(std::string_view digits)
{
    constexpr std::size_t kMaxDigits = 9;  // no file holds a billion spectra
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (digits.empty() || digits.size() > kMaxDigits || !allDigits || digits.front() == '0') {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (const char c : digits) {
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

}  // namespace

RegionName splitRegionName(const std::string& name)
{
    const std::size_t hash = name.find_last_of('#');
    if (hash == std::string::npos || hash == 0) {
        return {name, std::nullopt};
    }
    const auto number = regionNumber(std::string_view(name).substr(hash + 1));
    std::error_code ignored;
    if (!number || std::filesystem::exists(name, ignored)) {
        return {name, std::nullopt};
    }
    return {name.substr(0, hash), number};
}

std::string regionName(const std::string& file, std::size_t region)
{
    return file + "#" + std::to_string(region);
}

}  // namespace varnix::io
