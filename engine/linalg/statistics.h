// Standard deviations and correlation matrix of the free parameters, derived on the
// application side from the error matrix C that the engine returns after a fit. The fit asks
// for C with no damping, so C = α⁻¹ is the covariance matrix of the free parameters in the
// weights 1/σ².
//
// C is NFREE × NFREE, column-major, 0-based, in the order of the free parameters, and owned by
// the caller; the results are returned by value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace varnix::engine {

// Shown when C has a negative diagonal element; the program then ends. The two blanks on each
// side of the dash belong to the text.
inline constexpr std::string_view kNegativeDiagonalMessage =
    "Negative diagonal element in error matrix  -  ABORT";

struct StandardDeviations {
    std::vector<double> values;     // NFREE entries; from negativeDiagonal on they stay 0
    int32_t negativeDiagonal = -1;  // 0-based index of the first C(i,i) < 0, or −1
};

// sd(i) = √C(i,i) in parameter order, stopping at the first negative diagonal element. The
// values are not scaled by the reduced χ²: C is already the covariance in the weights 1/σ².
StandardDeviations standardDeviations(std::span<const double> errorMatrix, int32_t nfree);

struct CorrelationMatrix {
    std::size_t order = 0;
    std::vector<std::optional<double>> cells;  // order × order, column-major

    const std::optional<double>& operator()(std::size_t row, std::size_t column) const
    {
        return cells[row + column * order];
    }
};

// r(i,j) = (1/sd(i))·C(i,j)/sd(j) for sd of NFREE entries. A parameter whose standard
// deviation is zero or not finite has no correlations: its row and column are empty. So is any
// cell whose value comes out non-finite, so that no NaN ever reaches the screen.
CorrelationMatrix correlationMatrix(std::span<const double> errorMatrix,
                                    std::span<const double> sd, int32_t nfree);

}  // namespace varnix::engine
