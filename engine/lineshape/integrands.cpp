#include "integrands.h"

#include <algorithm>
#include <cmath>

namespace varnix::engine {

static_assert(kNodeBlock % kLineBatch == 0, "blocks must split into whole line batches");

PeakIntegrands::PeakIntegrands(const PeakShape& peak, double range)
    : m_peak(peak),
      m_h(integrationHalfWidth(range, peak.lfwhm, peak.gfwhm)),
      m_line{peak.lfwhm,
             peak.lfwhm / 2.0,
             peak.lfwhm * peak.lfwhm / 4.0,
             (1.0 - peak.alpha) / 2.0,
             kHalfPi * peak.alpha,
             1.0 - peak.alpha}
{
}

void PeakIntegrands::fillNodes(int32_t n, std::size_t first, std::size_t count,
                               NodeTable& table) const
{
    trapezoidNodes(-m_h, m_h, n, first, count, table.offset);
    const double g3 = m_peak.gfwhm * m_peak.gfwhm * m_peak.gfwhm;
    table.gauss.resize(count);
    table.gaussDerivative.resize(count);
    for (std::size_t m = 0; m < count; ++m) {
        // E0 − x = −t, and G is even.
        const double t = table.offset[m];
        table.gauss[m] = gaussian(t, m_peak.gfwhm);
        table.gaussDerivative[m] = kEightLn2 * t * t / g3 * table.gauss[m];
    }
}

const PeakIntegrands::NodeTable& PeakIntegrands::stepTable(int32_t n)
{
    while (m_steps.size() < static_cast<std::size_t>(n)) {
        const auto step = static_cast<int32_t>(m_steps.size()) + 1;
        NodeTable table;
        fillNodes(step, 0, trapezoidNodeCount(step), table);
        m_steps.push_back(std::move(table));
    }
    return m_steps[static_cast<std::size_t>(n) - 1];
}

void PeakIntegrands::addNodes(double e0, const NodeTable& table,
                              std::array<double, kIntegrandCount>& sum, bool derivatives) const
{
    // x − Pos = (E0 − Pos) + t: at E0 = Pos these are exactly the nodes of the normalisation
    // integral, so every peak equals its Height at its position.
    const double shift = e0 - m_peak.pos;
    std::array<double, kLineBatch> ds{};
    std::array<double, kLineBatch> fder1{};
    std::array<double, kLineBatch> fderal{};
    const std::size_t count = table.offset.size();
    for (std::size_t first = 0; first < count; first += kLineBatch) {
        const std::size_t batch = std::min(kLineBatch, count - first);
        lineBatch(m_line, shift, table.offset.data() + first, batch, derivatives, ds.data(),
                  fder1.data(), fderal.data());
        // Summed node by node in order, whatever the batch size.
        for (std::size_t b = 0; b < batch; ++b) {
            const std::size_t m = first + b;
            const double g = table.gauss[m];
            sum[kFunk] += g * ds[b];
            sum[kFunc5] += table.gaussDerivative[m] * ds[b];
            if (derivatives) {
                const double d = shift + table.offset[m];
                sum[kFunc1] += g * fder1[b];
                sum[kFunc3] += g * (d / m_peak.lfwhm) * fder1[b];
                sum[kFunc4] += g * fderal[b];
            }
        }
    }
}

void PeakIntegrands::sumStep(double e0, int32_t n, std::array<double, kIntegrandCount>& sums,
                             const std::array<bool, kIntegrandCount>& wanted)
{
    const bool derivatives = wanted[kFunc1] || wanted[kFunc3] || wanted[kFunc4];
    std::array<double, kIntegrandCount> sum{};
    if (n <= kMaxTabulatedStep) {
        addNodes(e0, stepTable(n), sum, derivatives);
    } else {
        // Blocks are multiples of the line batch, so the nodes meet the line in the same
        // groups as in a table and every sum keeps its digits.
        forEachNodeBlock(n, [&](std::size_t first, std::size_t count) {
            fillNodes(n, first, count, m_block);
            addNodes(e0, m_block, sum, derivatives);
        });
    }
    sums = sum;
}

void PeakIntegrands::integrate(double e0, const SimpsonControls& controls,
                               PeakIntegrals& integrals)
{
    auto batch = [&](int32_t n, std::array<double, kIntegrandCount>& sums,
                     const std::array<bool, kIntegrandCount>& open) {
        sumStep(e0, n, sums, open);
    };
    // Integrated over the offset t = x − E0 in −h … h, so that the window and its nodes are the
    // same at every E0 and the normalisation integral (E0 = Pos) repeats the peak's own nodes.
    simpsonShared<kIntegrandCount>(batch, -m_h, m_h, controls, integrals);
}

SimpsonIntegral PeakIntegrands::convolution(double e0, const SimpsonControls& controls)
{
    PeakIntegrals integrals{};
    for (SimpsonIntegral& integral : integrals) {
        integral.wanted = false;
    }
    integrals[kFunk].wanted = true;
    integrate(e0, controls, integrals);
    return integrals[kFunk];
}

}  // namespace varnix::engine
