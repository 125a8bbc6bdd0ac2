// Singular values and condition number of a square matrix (SINGVAL).
//
// The condition number is the ratio of the largest to the smallest singular value. The
// singular values of a matrix and of its inverse are reciprocal, so the error matrix gives
// the same ratio as the damped curvature matrix it was inverted from.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace varnix::engine {

// Storage for one SINGVAL call on an n × n matrix, sized once by the caller and reusable.
struct SingvalWork {
    std::vector<double> u;    // n × n, work storage of SVD
    std::vector<double> w;    // n singular values after a call, in no particular order
    std::vector<double> rv1;  // n entries, work storage of SVD

    explicit SingvalWork(int32_t n);
};

// Computes the singular values of a (n × n, column-major, 0-based, owned by the caller and not
// altered) into work.w, and conditionNumber = largest / smallest of them. The scan for the
// smallest starts from 1e30 and that for the largest from 0; when the smallest is not
// positive, conditionNumber keeps the value it came in with. A singular value that SVD could
// not converge is used as it stands: the failure is not reported. Returns the status, which
// is always 0.
int32_t SINGVAL(std::span<const double> a, int32_t n, SingvalWork& work,
                double& conditionNumber);

}  // namespace varnix::engine
