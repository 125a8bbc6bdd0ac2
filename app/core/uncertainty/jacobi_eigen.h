// Eigenvalues and eigenvectors of a small real symmetric matrix by the cyclic Jacobi method.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace varnix::app {

struct SymmetricEigen {
    std::vector<double> values;   // n, ascending
    std::vector<double> vectors;  // n × n, column-major: column i is the unit vector of values[i]
};

// A is n × n, symmetric, column-major (only its values are read). Rotations zero each
// off-diagonal element in turn until their sum of squares is below 1e-30 of the matrix's,
// at most 100 sweeps; quadratic convergence makes that a handful for the orders met here.
SymmetricEigen jacobiEigen(std::span<const double> a, std::size_t n);

}  // namespace varnix::app
