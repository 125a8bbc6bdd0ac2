// The analytic Jacobian of the model against central finite differences of the model itself,
// for every kind of parameter, fixed ones and folded links.
#include "fundsg.h"
#include "links.h"
#include "problem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace varnix::engine {
namespace {

struct Evaluation {
    std::vector<double> model;
    std::vector<double> jacobian;
};

Evaluation evaluate(const Problem& p, std::span<const double> parameters, bool derivatives)
{
    const std::vector<int32_t> freeIndex = freeIndexMap(p.state);
    const ModelSetup setup = p.setup(freeIndex);
    const std::size_t np = p.energies.size();
    Evaluation e;
    e.model.assign(np, 0.0);
    std::vector<double> components(np * static_cast<std::size_t>(setup.ncomp));
    e.jacobian.assign(derivatives ? np * static_cast<std::size_t>(setup.nfree) : 0, 0.0);
    IntegrationCount count;
    const Normalisation norm = FUNDSG0(setup, parameters, derivatives, count);
    FUNDSG(setup, parameters, norm, derivatives, ModelOutput{e.model, components, e.jacobian},
           count);
    return e;
}

// Checks every Jacobian column against (model(p + h·e_j) − model(p − h·e_j))/2h, where the
// correlated parameters follow their targets.
void expectJacobianMatchesDifferences(const Problem& p, std::vector<double> parameters)
{
    DEPEND(parameters, LinkArrays{p.state, p.target, p.value, p.mode});
    const Evaluation analytic = evaluate(p, parameters, true);
    const std::vector<int32_t> freeIndex = freeIndexMap(p.state);
    const std::size_t np = p.energies.size();
    const auto nfree = static_cast<std::size_t>(p.nfree());
    for (std::size_t j = 0; j < parameters.size(); ++j) {
        if (freeIndex[j] < 0) {
            continue;
        }
        const double h = 1e-5 * std::max(std::fabs(parameters[j]), 1.0);
        std::vector<double> up = parameters;
        std::vector<double> down = parameters;
        up[j] += h;
        down[j] -= h;
        DEPEND(up, LinkArrays{p.state, p.target, p.value, p.mode});
        DEPEND(down, LinkArrays{p.state, p.target, p.value, p.mode});
        const Evaluation plus = evaluate(p, up, false);
        const Evaluation minus = evaluate(p, down, false);
        double scale = 0.0;
        for (std::size_t i = 0; i < np; ++i) {
            scale = std::max(
                scale,
                std::fabs(analytic.jacobian[i * nfree + static_cast<std::size_t>(freeIndex[j])]));
        }
        ASSERT_GT(scale, 0.0) << "parameter " << j;
        for (std::size_t i = 0; i < np; ++i) {
            const double numeric = (plus.model[i] - minus.model[i]) / (2.0 * h);
            const double exact =
                analytic.jacobian[i * nfree + static_cast<std::size_t>(freeIndex[j])];
            // Truncation of the difference quotient and the integrals' tolerance.
            EXPECT_NEAR(exact, numeric, 2e-5 * scale) << "parameter " << j << ", point " << i;
        }
    }
}

Problem twoPeakProblem(int32_t nbg)
{
    std::vector<double> e;
    for (int i = 0; i < 41; ++i) {
        e.push_back(8.0 + 0.1 * i);
    }
    Problem p(e, std::vector<double>(e.size(), 100.0), 2, nbg);
    p.simpson = SimpsonControls{1e-11, 24};
    return p;
}

const std::vector<double> kTwoPeaks = {9.6, 300.0, 0.5, 0.12, 0.6, 10.9, 150.0, 0.7, 0.3, 0.4};

// Every peak parameter and background coefficient; fixed ones, whose columns are left out; and
// correlated ones, whose columns fold into their targets'.
TEST(Jacobian, FreeFixedAndCorrelatedParameters)
{
    Problem all = twoPeakProblem(3);
    std::vector<double> params = kTwoPeaks;
    params.insert(params.end(), {20.0, -3.0, 0.8});
    expectJacobianMatchesDifferences(all, params);

    Problem fixed = twoPeakProblem(2);
    for (const std::size_t j : {std::size_t{kAlpha}, 5 + kGfwhm, std::size_t{10}}) {
        fixed.fix(j);
    }
    params.pop_back();
    expectJacobianMatchesDifferences(fixed, params);

    Problem linked = twoPeakProblem(1);
    linked.link(5 + kPos, kPos, kLinkModeAdd, 1.3);             // constant distance
    linked.link(5 + kHeight, kHeight, kLinkModeMultiply, 0.5);  // half the height
    linked.link(5 + kLfwhm, kLfwhm, kLinkModeMultiply, 1.4);
    linked.link(5 + kAlpha, kAlpha, kLinkModeAdd, 0.18);
    linked.link(5 + kGfwhm, kGfwhm, kLinkModeMultiply, 0.66);
    params.pop_back();
    expectJacobianMatchesDifferences(linked, params);
}

}  // namespace
}  // namespace varnix::engine
