// The convolution integrands of one peak, evaluated in batches on the shared nodes of a
// window centred on the evaluation energy E0:
//   FUNK(x)  = DS(x)·G(E0 − x)                          the line convolved with the Gaussian
//   FUNC1(x) = G(E0 − x)·∂DS/∂Pos
//   FUNC3(x) = G(E0 − x)·(x − Pos)/LFWHM·∂DS/∂Pos        the LFWHM derivative up to a term that
//                                                       cancels in the normalised peak
//   FUNC4(x) = G(E0 − x)·∂DS/∂Alpha
//   FUNC5(x) = 8 ln 2·(E0 − x)²/GFWHM³·G(E0 − x)·DS(x)  the GFWHM derivative
//
// The window is always E0 − h … E0 + h, so the Gaussian factors depend only on the node's
// place in the window and not on E0: they are tabulated once per peak and refinement step
// and shared by every point. The five integrals share their nodes and the line's
// transcendental work; each keeps its own convergence test.
#pragma once

#include "fdon.h"
#include "line_batch.h"
#include "qsimp.h"

#include <array>
#include <span>
#include <cstdint>
#include <vector>

namespace varnix::engine {

// Indices of the five convolution integrals of a peak.
enum Integrand : std::size_t { kFunk = 0, kFunc1 = 1, kFunc3 = 2, kFunc4 = 3, kFunc5 = 4 };
inline constexpr std::size_t kIntegrandCount = 5;

using PeakIntegrals = std::array<SimpsonIntegral, kIntegrandCount>;

// Everything the integrands of one peak need, with the per-peak constants worked out once.
// Not shared between threads: the Gaussian tables grow as deeper refinement steps are met, up
// to kMaxTabulatedStep; deeper steps, which only integrals that fail to converge reach, work
// through their nodes block by block, so memory stays bounded whatever JMAX.
class PeakIntegrands {
public:
    PeakIntegrands(const PeakShape& peak, double range);

    const PeakShape& peak() const { return m_peak; }
    // Half-width h of the convolution window (the integration-window rule).
    double halfWidth() const { return m_h; }

    // Integrates the wanted integrands over E0 − h … E0 + h; `integrals[k].wanted` selects them.
    void integrate(double e0, const SimpsonControls& controls, PeakIntegrals& integrals);

    // ∫FUNK over the window at E0 alone: the unscaled peak at E0.
    SimpsonIntegral convolution(double e0, const SimpsonControls& controls);

private:
    // Nodes of a refinement step: offsets t from the window centre, G(t) and
    // 8 ln 2·t²/GFWHM³·G(t).
    struct NodeTable {
        std::vector<double> offset;
        std::vector<double> gauss;
        std::vector<double> gaussDerivative;
    };
    // Σ of each wanted integrand over the nodes of refinement step n.
    void sumStep(double e0, int32_t n, std::array<double, kIntegrandCount>& sums,
                 const std::array<bool, kIntegrandCount>& wanted);
    // Adds each wanted integrand over the nodes of `table` to sums, node by node in order.
    void addNodes(double e0, const NodeTable& table, std::array<double, kIntegrandCount>& sums,
                  bool derivatives) const;
    // Nodes first … first + count − 1 of step n.
    void fillNodes(int32_t n, std::size_t first, std::size_t count, NodeTable& table) const;
    const NodeTable& stepTable(int32_t n);

    PeakShape m_peak;
    double m_h = 0.0;
    LineConstants m_line;
    std::vector<NodeTable> m_steps;  // steps 1 … kMaxTabulatedStep, as they are met
    NodeTable m_block;               // one block of a deeper step
};

}  // namespace varnix::engine
