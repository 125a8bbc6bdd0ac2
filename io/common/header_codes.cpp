#include "header_codes.h"

#include <algorithm>

namespace varnix::io {

namespace {

std::size_t cell(int32_t row, int32_t column, int32_t rows)
{
    return static_cast<std::size_t>(row) + static_cast<std::size_t>(column) * static_cast<std::size_t>(rows);
}

}  // namespace

void headerToCodes(const std::vector<std::string>& lines, int32_t rows, int32_t width,
                   int32_t* codes)
{
    if (codes == nullptr || rows <= 0 || width <= 0) {
        return;
    }
    std::fill(codes, codes + cell(0, width, rows), 0);
    const auto count = std::min(static_cast<std::size_t>(rows), lines.size());
    for (std::size_t r = 0; r < count; ++r) {
        const std::string& line = lines[r];
        const auto n = std::min(static_cast<std::size_t>(width), line.size());
        for (std::size_t c = 0; c < n; ++c) {
            codes[cell(static_cast<int32_t>(r), static_cast<int32_t>(c), rows)] =
                static_cast<unsigned char>(line[c]);
        }
    }
}

std::vector<std::string> headerFromCodes(const int32_t* codes, int32_t count, int32_t rows,
                                         int32_t width)
{
    std::vector<std::string> lines;
    if (codes == nullptr || rows <= 0 || width <= 0) {
        return lines;
    }
    for (int32_t r = 0; r < std::min(count, rows); ++r) {
        std::string line;
        for (int32_t c = 0; c < width; ++c) {
            const int32_t code = codes[cell(r, c, rows)];
            if (code <= 0 || code > 255) {
                break;
            }
            line.push_back(static_cast<char>(code));
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace varnix::io
