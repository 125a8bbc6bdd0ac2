// Simpson's rule by successive trapezoid refinement (QSIMP with TRAPZD).
//
// Each integrator instance owns its running trapezoid sum, so an integral may run inside the
// integrand of another (the peak area is such a double integral); the two instances the
// area needs (QSIMP/TRAPZD for the inner integral, QSIMP2/TRAPZD2 for the outer one) are two
// calls of the same template.
//
// Several integrals over the same interval may share their nodes: the integrand is then a
// batch function that evaluates all of them on the new nodes of one refinement step. Every
// integral keeps its own running sum and its own convergence test, so each result is the one
// it would have alone.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnix::engine {

// Refinement steps an integral must have taken before its relative test may accept it. On
// the peaks of a spectrum the Simpson estimates of coarse steps (5 to 33 nodes) can agree by
// chance to better than EPS while both are far off: at the default EPS 1e-4 a component of
// the example spectrum came out 19 % low without a minimum, and 1 % low with a minimum of 6.
// From step 7 on (65 nodes across the window) every point of the model stays within 4e-4 of
// the converged integral on the example and on the same curve at 4001 points
// (bench/bench_simpson_steps.cpp measures each choice).
inline constexpr int32_t kMinSimpsonSteps = 7;

// The Simpson EPS and Max Simpson Iterations controls, used by every integral of the engine,
// and the minimum number of steps before an integral may converge.
struct SimpsonControls {
    double eps = 1e-4;
    int32_t jmax = 21;
    int32_t minSteps = kMinSimpsonSteps;
};

// Integrands that tabulate what their nodes share (the Gaussian factors, the line of the
// area's inner integral) keep the tables of steps 1 … kMaxTabulatedStep: 2^(n−1) nodes in all,
// 32768 at n = 16, under 1 MB per peak and thread. Deeper steps, which only integrals
// that fail to converge reach, are worked through in blocks of kNodeBlock nodes, so the work
// storage stays bounded whatever JMAX, while every node is still summed in its order.
inline constexpr int32_t kMaxTabulatedStep = 16;
inline constexpr std::size_t kNodeBlock = 4096;

// One integral of a shared-node integration: `wanted` in, the rest out.
struct SimpsonIntegral {
    bool wanted = true;
    double value = 0.0;      // last Simpson estimate; unchanged when JMAX ≤ 0
    int32_t status = 0;      // 0 converged, 1 not converged within JMAX steps
    int64_t evaluations = 0; // integrand evaluations this integral used
};

// Number of new nodes of trapezoid step n.
inline std::size_t trapezoidNodeCount(int32_t n)
{
    return n == 1 ? 2 : std::size_t{1} << static_cast<unsigned>(n - 2);
}

// Nodes first … first + count − 1 of trapezoid step n over [a, b]: step 1 the two ends, step
// n ≥ 2 the 2^(n−2) midpoints a + (m − ½)·(b − a)/2^(n−2), m = 1 … 2^(n−2). A node has the same
// value whichever block it is made in.
inline void trapezoidNodes(double a, double b, int32_t n, std::size_t first, std::size_t count,
                           std::vector<double>& nodes)
{
    nodes.resize(count);
    if (n == 1) {
        const std::array<double, 2> ends{a, b};
        for (std::size_t m = 0; m < count; ++m) {
            nodes[m] = ends[first + m];
        }
        return;
    }
    const double del = (b - a) / static_cast<double>(trapezoidNodeCount(n));
    for (std::size_t m = 0; m < count; ++m) {
        nodes[m] = a + (static_cast<double>(first + m) + 0.5) * del;
    }
}

// Every node of trapezoid step n over [a, b].
inline void trapezoidNodes(double a, double b, int32_t n, std::vector<double>& nodes)
{
    trapezoidNodes(a, b, n, 0, trapezoidNodeCount(n), nodes);
}

// Calls block(first, count) for consecutive blocks of at most kNodeBlock nodes of step n.
template <class Block>
void forEachNodeBlock(int32_t n, Block&& block)
{
    const std::size_t total = trapezoidNodeCount(n);
    for (std::size_t first = 0; first < total; first += kNodeBlock) {
        block(first, std::min(kNodeBlock, total - first));
    }
}

// TRAPZD: refine the running sum st of one integrator instance with the node sum `sumF` of
// step n (Σf over the nodes of trapezoidNodes).
inline double TRAPZD(double st, double a, double b, int32_t n, double sumF)
{
    if (n == 1) {
        return (b - a) * sumF / 2.0;
    }
    const double count = std::ldexp(1.0, n - 2);
    return (st + (b - a) * sumF / count) / 2.0;
}

// Integrates K integrands over [a, b] on shared nodes. `batch(n, sums, open)` evaluates the
// integrands still open on the nodes of step n (trapezoidNodes) and stores Σf of integrand k,
// summed in node order, in sums[k]. The convergence rules per integral:
//   - the previous Simpson and trapezoid values start at −1e30;
//   - converged when |s − os| < EPS·|os|, from step `minSteps` on;
//   - after step 6, converged on a zero integral when s = os = 0, since the relative test
//     can never succeed on zeros;
//   - status 1 after JMAX steps, with the last estimate; JMAX ≤ 0 gives status 1 at once and
//     leaves the value unchanged;
//   - status 1 at once when the estimate is not a finite number.
template <std::size_t K, class Batch>
void simpsonShared(Batch&& batch, double a, double b, const SimpsonControls& controls,
                   std::array<SimpsonIntegral, K>& integrals)
{
    std::array<double, K> os{};
    std::array<double, K> ost{};
    std::array<double, K> st{};
    std::array<bool, K> open{};
    std::size_t openCount = 0;
    for (std::size_t k = 0; k < K; ++k) {
        SimpsonIntegral& integral = integrals[k];
        integral.status = 0;
        integral.evaluations = 0;
        os[k] = -1e30;
        ost[k] = -1e30;
        open[k] = integral.wanted && controls.jmax > 0;
        if (integral.wanted && controls.jmax <= 0) {
            integral.status = 1;
        }
        openCount += open[k] ? 1U : 0U;
    }

    for (int32_t j = 1; j <= controls.jmax && openCount > 0; ++j) {
        std::array<double, K> sums{};
        batch(j, sums, open);
        const auto count = static_cast<int64_t>(trapezoidNodeCount(j));
        for (std::size_t k = 0; k < K; ++k) {
            if (!open[k]) {
                continue;
            }
            SimpsonIntegral& integral = integrals[k];
            integral.evaluations += count;
            st[k] = TRAPZD(st[k], a, b, j, sums[k]);
            const double s = (4.0 * st[k] - ost[k]) / 3.0;
            integral.value = s;
            const bool converged =
                j >= controls.minSteps && std::fabs(s - os[k]) < controls.eps * std::fabs(os[k]);
            const bool zero = j > 6 && os[k] == 0.0 && s == 0.0;
            if (converged || zero || !std::isfinite(s)) {
                // A non-finite estimate can never converge; refining it further would only
                // spend up to 2^(JMAX−1) evaluations on the same non-finite result.
                integral.status = std::isfinite(s) ? 0 : 1;
                open[k] = false;
                --openCount;
                continue;
            }
            os[k] = s;
            ost[k] = st[k];
        }
    }
    for (std::size_t k = 0; k < K; ++k) {
        if (open[k]) {
            integrals[k].status = 1;
        }
    }
}

// QSIMP: one integral of the scalar integrand f over [a, b].
template <class F>
SimpsonIntegral QSIMP(F&& f, double a, double b, const SimpsonControls& controls)
{
    std::array<SimpsonIntegral, 1> integral{};
    std::vector<double> nodes;
    auto batch = [&](int32_t n, std::array<double, 1>& sums, const std::array<bool, 1>&) {
        double sum = 0.0;
        forEachNodeBlock(n, [&](std::size_t first, std::size_t count) {
            trapezoidNodes(a, b, n, first, count, nodes);
            for (const double x : nodes) {
                sum += f(x);
            }
        });
        sums[0] = sum;
    };
    simpsonShared<1>(batch, a, b, controls, integral);
    return integral[0];
}

}  // namespace varnix::engine
