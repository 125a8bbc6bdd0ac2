// TESSOR: the dimensions of a data file of any supported format, so that the program can size
// its arrays before KAPRIL fills them.
#include "spectrum.h"
#include "text.h"
#include "varnix_io.h"

#include <algorithm>
#include <limits>

namespace {

int32_t clampedCount(std::size_t n)
{
    return static_cast<int32_t>(std::min<std::size_t>(n, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void TESSOR(const char* fileName, int32_t fileNameLength, int32_t* np, int32_t* nh,
            int32_t* photonEnergyFlag, int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    *status = kReadHeaderError;
    if (np == nullptr || nh == nullptr || photonEnergyFlag == nullptr) {
        return;
    }
    *np = 0;
    *nh = 0;
    *photonEnergyFlag = 0;
    try {
        const SpectrumData spectrum = readSpectrumFile(fromBuffer(fileName, fileNameLength));
        // The program reads "status 1" as "no points", whatever a reader kept.
        if (spectrum.status != kReadHeaderError) {
            *np = clampedCount(std::min(spectrum.energies.size(), spectrum.counts.size()));
            *nh = clampedCount(spectrum.header.size());
            *photonEnergyFlag = spectrum.binding && spectrum.photonEnergyStated ? 1 : 0;
        }
        *status = spectrum.status;
    } catch (...) {
        *np = 0;
        *nh = 0;
        *photonEnergyFlag = 0;
        *status = kReadHeaderError;
    }
}
