#include "integrands.h"

#include <cmath>

namespace varnix::engine {

PeakIntegrands::PeakIntegrands(const PeakShape& peak, double range)
    : m_peak(peak),
      m_h(integrationHalfWidth(range, peak.lfwhm, peak.gfwhm)),
      m_gamma(peak.lfwhm / 2.0),
      m_halfExponent((1.0 - peak.alpha) / 2.0),
      m_phase0(kHalfPi * peak.alpha),
      m_oneMinusAlpha(1.0 - peak.alpha)
{
}

const PeakIntegrands::StepTable& PeakIntegrands::stepTable(int32_t n)
{
    while (m_steps.size() < static_cast<std::size_t>(n)) {
        const auto step = static_cast<int32_t>(m_steps.size()) + 1;
        StepTable table;
        trapezoidNodes(-m_h, m_h, step, table.offset);
        const double g3 = m_peak.gfwhm * m_peak.gfwhm * m_peak.gfwhm;
        table.gauss.resize(table.offset.size());
        table.gaussDerivative.resize(table.offset.size());
        for (std::size_t m = 0; m < table.offset.size(); ++m) {
            // E0 − x = −t, and G is even.
            const double t = table.offset[m];
            table.gauss[m] = gaussian(t, m_peak.gfwhm);
            table.gaussDerivative[m] = kEightLn2 * t * t / g3 * table.gauss[m];
        }
        m_steps.push_back(std::move(table));
    }
    return m_steps[static_cast<std::size_t>(n) - 1];
}

void PeakIntegrands::sumStep(double e0, int32_t n, std::array<double, kIntegrandCount>& sums,
                             const std::array<bool, kIntegrandCount>& wanted)
{
    const StepTable& table = stepTable(n);
    const bool lineOnly = !(wanted[kFunc1] || wanted[kFunc3] || wanted[kFunc4]);
    // x − Pos = (E0 − Pos) + t: at E0 = Pos these are exactly the nodes of the normalisation
    // integral, so every peak equals its Height at its position.
    const double shift = e0 - m_peak.pos;
    const double gamma2 = m_gamma * m_gamma;
    std::array<double, kIntegrandCount> sum{};
    for (std::size_t m = 0; m < table.offset.size(); ++m) {
        const double d = shift + table.offset[m];
        const double eps = 2.0 * d / m_peak.lfwhm;
        const double q = 1.0 + eps * eps;
        const double logD = std::log(gamma2 * q);
        const double power = std::exp(-m_halfExponent * logD);  // D^(−(1 − α)/2)
        const double theta = std::atan(eps);
        const double phi = m_phase0 + m_oneMinusAlpha * theta;
        const double g = table.gauss[m];
        if (lineOnly) {
            const double ds = std::cos(phi) * power;
            sum[kFunk] += g * ds;
            sum[kFunc5] += table.gaussDerivative[m] * ds;
            continue;
        }
        const double c = std::cos(phi);
        const double s = std::sin(phi);
        const double ds = c * power;
        const double fder1 = m_oneMinusAlpha * (s + eps * c) * power / (m_gamma * q);
        // tan φ·DS = sin φ·D^(−(1 − α)/2), which stays finite where cos φ = 0.
        const double fderal = 0.5 * logD * ds + (theta - kHalfPi) * s * power;
        sum[kFunk] += g * ds;
        sum[kFunc1] += g * fder1;
        sum[kFunc3] += g * (d / m_peak.lfwhm) * fder1;
        sum[kFunc4] += g * fderal;
        sum[kFunc5] += table.gaussDerivative[m] * ds;
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
