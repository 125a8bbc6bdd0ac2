// The exported entry: turns the caller's by-reference arguments and counted strings into one
// page description and draws it. Nothing escapes: the caller checks nothing and expects the
// call to return.

#include "kelmar.h"

#include "kelmar_page.h"

#include <algorithm>
#include <string>

namespace varnix::plot {

namespace {

int64_t count(const int32_t* value)
{
    return value != nullptr ? std::max<int64_t>(*value, 0) : 0;
}

std::span<const float> array(const float* data, int64_t size)
{
    return data != nullptr && size > 0 ? std::span(data, static_cast<std::size_t>(size))
                                       : std::span<const float>();
}

// A counted string, cut at a NUL (a C caller's terminator) and, for titles, without the blanks
// a fixed-length caller pads with.
std::string text(const char* data, int32_t length, bool trimBlanks)
{
    if (data == nullptr || length <= 0) {
        return {};
    }
    std::string s(data, static_cast<std::size_t>(length));
    s.resize(std::min(s.size(), s.find('\0')));
    if (trimBlanks) {
        s.erase(s.find_last_not_of(' ') + 1);
    }
    return s;
}

SpectrumPage describePage(const int32_t* n, const int32_t* nc, const float* x, const float* y,
                          const float* yc, const float* c, const float* r, const int32_t* nr)
{
    // Without energies, counts or fit there is nothing to draw against: an empty axis system.
    const int64_t points = x != nullptr && y != nullptr && yc != nullptr ? count(n) : 0;
    const int64_t columns = c != nullptr ? count(nc) : 0;
    // NR = 1 means no residuals; any other count draws them, at most one per point.
    const int64_t residuals = nr != nullptr && *nr != 1 ? std::min(count(nr), points) : 0;
    SpectrumPage page;
    page.energies = array(x, points);
    page.counts = array(y, points);
    page.calculated = array(yc, points);
    page.componentCount = static_cast<int32_t>(points > 0 ? columns : 0);
    page.components = array(c, points * columns);
    page.residuals = array(r, residuals);
    return page;
}

}  // namespace

}  // namespace varnix::plot

extern "C" void KELMAR(const int32_t* n, const int32_t* nc, const float* x, const float* y,
                       const float* yc, const float* c, const float* r, const int32_t* nr,
                       const char* file, int32_t fileLength, const char* xName,
                       int32_t xNameLength, const char* yName, int32_t yNameLength)
{
    using namespace varnix::plot;
    try {
        SpectrumPage page = describePage(n, nc, x, y, yc, c, r, nr);
        page.fileName = text(file, fileLength, false);
        page.xTitle = text(xName, xNameLength, true);
        page.yTitle = text(yName, yNameLength, true);
        drawSpectrumPage(page);
    } catch (...) {
        // No page, no partial file: the write happens only once the whole document exists.
    }
}
