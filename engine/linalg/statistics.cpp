#include "statistics.h"

#include <cassert>
#include <cmath>

namespace varnix::engine {

StandardDeviations standardDeviations(std::span<const double> errorMatrix, int32_t nfree)
{
    assert(nfree >= 0);
    const auto n = static_cast<std::size_t>(nfree);
    assert(errorMatrix.size() >= n * n);
    StandardDeviations sd{std::vector<double>(n, 0.0), -1};
    for (std::size_t i = 0; i < n; ++i) {
        const double variance = errorMatrix[i + i * n];
        if (variance < 0.0) {
            sd.negativeDiagonal = static_cast<int32_t>(i);
            break;
        }
        sd.values[i] = std::sqrt(variance);
    }
    return sd;
}

CorrelationMatrix correlationMatrix(std::span<const double> errorMatrix,
                                    std::span<const double> sd, int32_t nfree)
{
    assert(nfree >= 0);
    const auto n = static_cast<std::size_t>(nfree);
    assert(errorMatrix.size() >= n * n && sd.size() >= n);
    auto usable = [](double s) { return s != 0.0 && std::isfinite(s); };
    CorrelationMatrix r{n, std::vector<std::optional<double>>(n * n)};
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
            if (!usable(sd[i]) || !usable(sd[j])) {
                continue;
            }
            const double value = (1.0 / sd[i]) * errorMatrix[i + j * n] / sd[j];
            if (std::isfinite(value)) {
                r.cells[i + j * n] = value;
            }
        }
    }
    return r;
}

}  // namespace varnix::engine
