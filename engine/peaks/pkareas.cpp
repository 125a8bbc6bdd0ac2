#include "pkareas.h"

#include <array>
#include <utility>
#include <vector>

namespace varnix::engine {

namespace {

// The inner integrand FUNK2 of one peak and its integral FUNKA. The inner integral runs over
// the same window for every outer energy E, so its nodes, and the line at them, are the same
// each time: only G(E − x) depends on E. The line is the costly factor (arctan, cos, pow), so
// it is tabulated per refinement step as steps are met, up to kMaxTabulatedStep; deeper steps
// evaluate it block by block. The sums keep the node order of the plain integrator, so the
// tables change no digit of the result.
class AreaIntegrand {
public:
    AreaIntegrand(const PeakShape& peak, double norm, double a, double b,
                  const SimpsonControls& controls)
        : m_peak(peak), m_norm(norm), m_a(a), m_b(b), m_controls(controls)
    {
    }

    // FUNKA(E): ∫ FUNK2 over the window, divided by N.
    double FUNKA(double e)
    {
        std::array<SimpsonIntegral, 1> integral{};
        auto batch = [&](int32_t n, std::array<double, 1>& sums, const std::array<bool, 1>&) {
            double sum = 0.0;
            if (n <= kMaxTabulatedStep) {
                sum = addNodes(e, step(n), sum);
            } else {
                forEachNodeBlock(n, [&](std::size_t first, std::size_t count) {
                    fillNodes(n, first, count, m_block);
                    sum = addNodes(e, m_block, sum);
                });
            }
            sums[0] = sum;
        };
        simpsonShared<1>(batch, m_a, m_b, m_controls, integral);
        return integral[0].value / m_norm;
    }

private:
    struct Nodes {
        std::vector<double> x;
        std::vector<double> line;  // DS at the nodes
    };

    double addNodes(double e, const Nodes& nodes, double sum) const
    {
        for (std::size_t m = 0; m < nodes.x.size(); ++m) {
            sum += nodes.line[m] * gaussian(e - nodes.x[m], m_peak.gfwhm);
        }
        return sum;
    }

    void fillNodes(int32_t n, std::size_t first, std::size_t count, Nodes& nodes) const
    {
        trapezoidNodes(m_a, m_b, n, first, count, nodes.x);
        nodes.line.resize(count);
        for (std::size_t m = 0; m < count; ++m) {
            nodes.line[m] = FDON(m_peak, nodes.x[m]);
        }
    }

    const Nodes& step(int32_t n)
    {
        while (m_steps.size() < static_cast<std::size_t>(n)) {
            const auto next = static_cast<int32_t>(m_steps.size()) + 1;
            Nodes nodes;
            fillNodes(next, 0, trapezoidNodeCount(next), nodes);
            m_steps.push_back(std::move(nodes));
        }
        return m_steps[static_cast<std::size_t>(n) - 1];
    }

    PeakShape m_peak;
    double m_norm;
    double m_a;
    double m_b;
    SimpsonControls m_controls;
    std::vector<Nodes> m_steps;  // steps 1 … kMaxTabulatedStep, as they are met
    Nodes m_block;               // one block of a deeper step
};

}  // namespace

double PKAREAS(const PeakShape& peak, double norm, const SimpsonControls& controls, double range)
{
    const double h = integrationHalfWidth(range, peak.lfwhm, peak.gfwhm);
    const double a = peak.pos - h;
    const double b = peak.pos + h;
    AreaIntegrand inner(peak, norm, a, b, controls);
    const SimpsonIntegral outer = QSIMP([&](double e) { return inner.FUNKA(e); }, a, b, controls);
    return peak.height * outer.value;
}

}  // namespace varnix::engine
