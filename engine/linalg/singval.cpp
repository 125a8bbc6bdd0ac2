#include "singval.h"

#include "svd.h"

#include <cassert>
#include <cstddef>

namespace varnix::engine {

namespace {

// Starting value of the scan for the smallest singular value.
constexpr double kSmallestStart = 1e30;

}  // namespace

SingvalWork::SingvalWork(int32_t n)
    : u(static_cast<std::size_t>(n) * static_cast<std::size_t>(n)),
      w(static_cast<std::size_t>(n)),
      rv1(static_cast<std::size_t>(n))
{
    assert(n >= 0);
}

int32_t SINGVAL(std::span<const double> a, int32_t n, SingvalWork& work,
                double& conditionNumber)
{
    const int32_t status = 0;
    const auto order = static_cast<std::size_t>(n);
    assert(n >= 0 && a.size() >= order * order);
    assert(work.u.size() >= order * order && work.w.size() >= order && work.rv1.size() >= order);
    // A non-converged value is still the best estimate there is; IERR is deliberately unused.
    static_cast<void>(SVD(n, n, n, a, work.w, false, work.u, false, {}, work.rv1));
    double largest = 0.0;
    double smallest = kSmallestStart;
    for (std::size_t i = 0; i < order; ++i) {
        if (work.w[i] > largest) {
            largest = work.w[i];
        }
        if (work.w[i] < smallest) {
            smallest = work.w[i];
        }
    }
    if (smallest > 0.0) {
        conditionNumber = largest / smallest;
    }
    return status;
}

}  // namespace varnix::engine
