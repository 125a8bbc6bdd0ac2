#include "core/editor/peak_list.h"

namespace varnix::app {

namespace {

constexpr int32_t kFirstWidthSlot = 2;  // LFWHM, Alpha and GFWHM stay with a new peak

std::size_t at(int32_t index)
{
    return static_cast<std::size_t>(index);
}

bool inPeak(int32_t index, int32_t first)
{
    return index >= first && index < first + kParametersPerPeak;
}

}  // namespace

void openPeakAt(Configuration& c, int32_t first)
{
    const int32_t end = kParametersPerPeak * c.nds;
    for (int32_t j = end - 1; j >= first + kParametersPerPeak; --j) {
        c.p[at(j)] = c.p[at(j - kParametersPerPeak)];
        c.links[at(j)] = c.links[at(j - kParametersPerPeak)];
    }
    for (int32_t j = 0; j < end; ++j) {
        ParameterLink& link = c.links[at(j)];
        if (!inPeak(j, first) && link.partner >= first) {
            link.partner += kParametersPerPeak;
        }
    }
    for (int32_t k = 0; k < kParametersPerPeak; ++k) {
        const int32_t j = first + k;
        c.p[at(j)] = k < kFirstWidthSlot ? 0.0 : c.p[at(j + kParametersPerPeak)];
        c.links[at(j)] = ParameterLink{kLinkVaried, j, 1.0, kLinkKindNone};
    }
}

std::vector<int32_t> linksInto(const Configuration& c, int32_t first)
{
    std::vector<int32_t> found;
    for (int32_t j = 0; j < kParametersPerPeak * c.nds; ++j) {
        if (!inPeak(j, first) && inPeak(c.links[at(j)].partner, first)) {
            found.push_back(j);
        }
    }
    return found;
}

void closePeakAt(Configuration& c, int32_t first)
{
    const int32_t end = kParametersPerPeak * (c.nds - 1);
    for (int32_t j = first; j < end; ++j) {
        c.p[at(j)] = c.p[at(j + kParametersPerPeak)];
        c.links[at(j)] = c.links[at(j + kParametersPerPeak)];
    }
    for (int32_t j = 0; j < end; ++j) {
        ParameterLink& link = c.links[at(j)];
        if (link.partner >= first + kParametersPerPeak) {
            link.partner -= kParametersPerPeak;
        }
    }
}

}  // namespace varnix::app
