// Which combination of parameters a fit leaves undetermined.
//
// The error matrix scaled to unit diagonal (the correlation matrix R) no longer carries the
// parameters' units, which make up most of the error matrix's own condition number (an Alpha
// and a Height differ by eight orders of magnitude). The condition number of R is the ratio of
// its extreme eigenvalues; for two parameters of correlation r it is (1 + |r|)/(1 − |r|). The
// eigenvector of its largest eigenvalue is the combination of parameters, each in units of
// its own σ, that varies most; but its eigenvalue cannot exceed the number of parameters, and
// in a fit of many parameters it names a group that merely moves together. The near
// dependence is in the smallest eigenvalue instead: its eigenvector is the combination the
// data pin down, and the parameters it holds trade against each other along the others.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// Above this condition number of R a fit is judged badly determined. 40 is a pair correlated
// at |r| = 0.95, where r² = 0.9 makes the variance inflation factor 1/(1 − r²) = 10: each
// parameter's σ is more than three times what it would be with the other known, the level at
// which regression practice (Marquardt 1970; Kutner et al., Applied Linear Statistical Models)
// calls a dependence serious.
inline constexpr double kDegenerateCondition = 40.0;

struct CombinationTerm {
    std::string name;
    double coefficient = 0.0;  // the leading term's is 1

    bool operator==(const CombinationTerm&) const = default;
};

struct Diagnosis {
    double conditionNumber = 0.0;  // of R; 0 without an error matrix
    bool badlyDetermined = false;
    // Leading terms of the eigenvector of R's smallest eigenvalue, largest first: the
    // parameters that trade against each other.
    std::vector<CombinationTerm> terms;
    std::string text;  // what the results window and the report say; empty when well determined

    bool operator==(const Diagnosis&) const = default;
};

// errorMatrix: nfree × nfree, column-major; names: the free parameters' names in the same
// order ("LFWHM2", "a0"). A non-positive diagonal element leaves the diagnosis empty.
Diagnosis diagnoseDegeneracy(std::span<const double> errorMatrix,
                             const std::vector<std::string>& names);

// What the results report says: the diagnosis's text for a badly determined fit; for a well
// determined one that nothing is left undetermined, with the threshold; nothing without an
// error matrix.
std::string reportedDiagnosis(const Diagnosis& diagnosis);

// "LFWHM2 − 0.8·GFWHM2": the terms with their coefficients to one decimal.
std::string combinationText(const std::vector<CombinationTerm>& terms);

}  // namespace varnix::app
