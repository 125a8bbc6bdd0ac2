// Standard deviations of the peaks' figures by propagation through the real engine, against
// closed forms, the exact Voigt width computed here from the independent reference model, and
// the spread of re-fits of Poisson-resampled spectra; the degeneracy diagnosis on spectra made
// to have one or none; the symmetric eigen-solver against known spectra.
#include "core/uncertainty/jacobi_eigen.h"
#include "core/uncertainty/uncertainty.h"
#include "uncertainty_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;

// Peak parameter slots.
constexpr int32_t kPos = 0;
constexpr int32_t kHeight = 1;
constexpr int32_t kLfwhm = 2;
constexpr int32_t kAlpha = 3;
constexpr int32_t kGfwhm = 4;

// A figure linear in a parameter has an exact central difference; what is left is the
// probe's integration tolerance of 1e-10.
constexpr double kRelTolLinear = 1e-8;
// The reference width is found by bisection to 1e-13 and differenced with steps of 1e-5 of
// the widths; the probe's maximum-energy bias is 1e-9 of the width.
constexpr double kRelTolVoigt = 1e-5;
// Steps a decade either side of the default change σ only through integration noise over
// the step and the O(h²) truncation.
constexpr double kRelTolStep = 1e-4;

std::size_t at(int32_t peak, int32_t slot)
{
    return static_cast<std::size_t>(kParametersPerPeak * peak + slot);
}

// A module of `parameters` on a spectrum whose counts do not matter (the error matrix is
// given), every parameter fixed but those listed.
Module1 givenModel(const std::vector<double>& parameters, int32_t nds,
                   const std::vector<int32_t>& varied)
{
    const std::vector<double> e = equidistant(270.0, 300.0, 301);
    Module1 m = moduleOf(e, std::vector<double>(e.size(), 100.0), parameters, nds, 0);
    for (int32_t j = 0; j < kParametersPerPeak * nds; ++j) {
        if (std::find(varied.begin(), varied.end(), j) == varied.end()) {
            fixParameter(m, j);
        }
    }
    return m;
}

// --- Figures linear in the free Height: σ_A = A·σ_H/H, shares in closed form -------------

struct LinearCase {
    const char* name;
    std::vector<double> parameters;  // two peaks
    bool heightTied;                 // Height2 = 0.5·Height1
    bool height2Free;
};

class LinearInHeight : public testing::TestWithParam<LinearCase> {};

TEST_P(LinearInHeight, AreaAndShareFollowTheHeight)
{
    const LinearCase& c = GetParam();
    std::vector<int32_t> varied{static_cast<int32_t>(at(0, kHeight))};
    if (c.height2Free) {
        varied.push_back(static_cast<int32_t>(at(1, kHeight)));
    }
    Module1 m = givenModel(c.parameters, 2, varied);
    if (c.heightTied) {
        linkParameter(m, static_cast<int32_t>(at(1, kHeight)), static_cast<int32_t>(at(0, kHeight)),
                      kLinkKindMultiplied, 0.5);
    }
    const double s1 = 40.0;
    const double s2 = 25.0;
    giveErrorMatrix(m, c.height2Free ? std::vector<double>{s1 * s1, 0.0, 0.0, s2 * s2}
                                     : std::vector<double>{s1 * s1});
    LibraryLoader loader;
    const Uncertainties u = computeUncertainties(m, loader);
    const double h1 = m.engine.p[at(0, kHeight)];
    const double h2 = m.engine.p[at(1, kHeight)];
    const double a1 = u.peaks[0].area.value;
    const double a2 = u.peaks[1].area.value;
    const double total = a1 + a2;
    // Peak 2 moves with Height1 when tied, with its own Height when free, not at all else.
    const double sa2 = c.heightTied ? a2 * s1 / h1 : c.height2Free ? a2 * s2 / h2 : 0.0;
    const double sa1 = a1 * s1 / h1;
    // ∂share1/∂A1 = A2/T², ∂share1/∂A2 = −A1/T²; the tied areas change in proportion.
    const double ds1 = c.heightTied ? 0.0 : std::hypot(a2 * sa1, a1 * sa2) / (total * total);
    EXPECT_NEAR(u.peaks[0].area.sigma, sa1, kRelTolLinear * sa1);
    EXPECT_NEAR(u.peaks[1].area.sigma, sa2, kRelTolLinear * sa1);
    EXPECT_NEAR(u.peaks[0].share.value, a1 / total, 1e-14);
    EXPECT_NEAR(u.peaks[0].share.sigma, ds1, kRelTolLinear * sa1 / total);
    EXPECT_NEAR(u.peaks[1].share.sigma, ds1, kRelTolLinear * sa1 / total);
    // The maximum scales with the Height; its energy and the widths do not move.
    EXPECT_NEAR(u.peaks[0].maximum.sigma, u.peaks[0].maximum.value * s1 / h1,
                kRelTolLinear * u.peaks[0].maximum.value);
    EXPECT_LT(u.peaks[0].maximumEnergy.sigma, 1e-6);
    EXPECT_LT(u.peaks[0].widthAtHalfMaximum.sigma, 1e-6);
}

// Pos, Height, LFWHM, Alpha, GFWHM of two overlapping peaks.
const std::vector<double> kSymmetric = {283.0, 4000.0, 0.5, 0.0, 1.0, 285.0, 2000.0, 0.4, 0.0, 0.8};
const std::vector<double> kAsymmetric = {283.0, 4000.0, 0.5, 0.25, 1.0,
                                         285.0, 2000.0, 0.4, 0.4,  0.8};

INSTANTIATE_TEST_SUITE_P(
    Cases, LinearInHeight,
    testing::Values(LinearCase{"symmetric_one_height", kSymmetric, false, false},
                    LinearCase{"asymmetric_one_height", kAsymmetric, false, false},
                    LinearCase{"asymmetric_both_heights", kAsymmetric, false, true},
                    LinearCase{"tied_height_carries_its_partners_error", kAsymmetric, true, false}),
    [](const testing::TestParamInfo<LinearCase>& i) { return std::string(i.param.name); });

// --- A symmetric peak: the exact Voigt width and its derivatives -------------------------

// The full width at half maximum of the Voigt profile, from the reference convolution: the
// profile is symmetric about Pos with its maximum there, so the width is twice the distance
// from Pos to the half-maximum crossing, found by bisection.
double voigtWidth(double lfwhm, double gfwhm)
{
    const reference::Peak peak{0.0, 1.0, lfwhm, 0.0, gfwhm};
    const double half = reference::convolution(peak, 0.0) / 2.0;
    double inside = 0.0;
    double outside = 5.0 * (lfwhm + gfwhm);
    while (outside - inside > 1e-13) {
        const double mid = (inside + outside) / 2.0;
        (reference::convolution(peak, mid) > half ? inside : outside) = mid;
    }
    return inside + outside;
}

struct VoigtCase {
    const char* name;
    double lfwhm;
    double gfwhm;
};

class SymmetricPeak : public testing::TestWithParam<VoigtCase> {};

TEST_P(SymmetricPeak, WidthSigmaFollowsTheExactVoigtWidth)
{
    const VoigtCase& c = GetParam();
    Module1 m =
        givenModel({285.0, 3000.0, c.lfwhm, 0.0, c.gfwhm}, 1, {kPos, kHeight, kLfwhm, kGfwhm});
    // σ of Pos, Height, LFWHM, GFWHM with the widths anti-correlated at −0.7 and Height
    // correlated +0.4 with each width, as a fit leaves them.
    const double sp = 0.01, sh = 30.0, sl = 0.05 * c.lfwhm, sg = 0.03 * c.gfwhm;
    const std::vector<double> cov = {sp * sp,
                                     0,
                                     0,
                                     0,
                                     0,
                                     sh * sh,
                                     0.4 * sh * sl,
                                     0.4 * sh * sg,
                                     0,
                                     0.4 * sh * sl,
                                     sl * sl,
                                     -0.7 * sl * sg,
                                     0,
                                     0.4 * sh * sg,
                                     -0.7 * sl * sg,
                                     sg * sg};
    giveErrorMatrix(m, cov);
    LibraryLoader loader;
    const PeakUncertainty p = computeUncertainties(m, loader).peaks[0];

    const double hl = 1e-5 * c.lfwhm;
    const double hg = 1e-5 * c.gfwhm;
    const double dl =
        (voigtWidth(c.lfwhm + hl, c.gfwhm) - voigtWidth(c.lfwhm - hl, c.gfwhm)) / (2 * hl);
    const double dg =
        (voigtWidth(c.lfwhm, c.gfwhm + hg) - voigtWidth(c.lfwhm, c.gfwhm - hg)) / (2 * hg);
    const double sw =
        std::sqrt(dl * dl * sl * sl + dg * dg * sg * sg - 2 * 0.7 * dl * dg * sl * sg);
    const double width = voigtWidth(c.lfwhm, c.gfwhm);
    EXPECT_NEAR(p.widthAtHalfHeight.value, width, kRelTolVoigt * width);
    EXPECT_NEAR(p.widthAtHalfHeight.sigma, sw, kRelTolVoigt * sw);
    // The maximum is the Height at Pos: their σ carry over, and both widths are one.
    EXPECT_NEAR(p.maximum.value, 3000.0, 1e-6);
    EXPECT_NEAR(p.maximum.sigma, sh, kRelTolVoigt * sh);
    EXPECT_NEAR(p.maximumEnergy.value, 285.0, 1e-8);
    EXPECT_NEAR(p.maximumEnergy.sigma, sp, kRelTolVoigt * sp);
    EXPECT_NEAR(p.widthAtHalfMaximum.sigma, sw, kRelTolVoigt * sw);
}

INSTANTIATE_TEST_SUITE_P(Cases, SymmetricPeak,
                         testing::Values(VoigtCase{"lorentzian_dominated", 1.0, 0.3},
                                         VoigtCase{"balanced", 0.6, 0.8},
                                         VoigtCase{"gaussian_dominated", 0.1, 1.2}),
                         [](const testing::TestParamInfo<VoigtCase>& i) {
                             return std::string(i.param.name);
                         });

// --- Independence from the difference step -----------------------------------------------

class DifferenceStep : public testing::TestWithParam<double> {};

TEST_P(DifferenceStep, LeavesEverySigmaUnchanged)
{
    Module1 m = givenModel(kAsymmetric, 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<double> cov(100, 0.0);
    for (std::size_t j = 0; j < 10; ++j) {
        cov[j + 10 * j] = std::pow(0.02 * std::fmax(kAsymmetric[j], 0.1), 2);
    }
    cov[2 + 10 * 4] = cov[4 + 10 * 2] = -0.6 * std::sqrt(cov[2 + 10 * 2] * cov[4 + 10 * 4]);
    giveErrorMatrix(m, cov);
    LibraryLoader loader;
    UncertaintyOptions stepped;
    stepped.relativeStep = GetParam();
    const Uncertainties base = computeUncertainties(m, loader);
    const Uncertainties other = computeUncertainties(m, loader, stepped);
    for (std::size_t k = 0; k < 2; ++k) {
        const PeakUncertainty& a = base.peaks[k];
        const PeakUncertainty& b = other.peaks[k];
        for (const auto& [x, y] : {std::pair{a.area, b.area},
                                   {a.share, b.share},
                                   {a.widthAtHalfHeight, b.widthAtHalfHeight},
                                   {a.maximum, b.maximum},
                                   {a.maximumEnergy, b.maximumEnergy},
                                   {a.widthAtHalfMaximum, b.widthAtHalfMaximum}}) {
            ASSERT_GT(x.sigma, 0.0);
            EXPECT_NEAR(y.sigma, x.sigma, kRelTolStep * x.sigma) << "peak " << k + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, DifferenceStep, testing::Values(1e-3, 1e-5));

// --- Monte Carlo: re-fits of resampled spectra -------------------------------------------

TEST(MonteCarlo, SpreadOfRefittedAreasMatchesThePropagatedSigma)
{
    constexpr int32_t kFits = 40;
    const std::vector<double> truth = {285.0,  5000.0, 0.5, 0.15, 0.9,  287.2,
                                       2500.0, 0.4,    0.1, 0.8,  150.0};
    const std::vector<double> e = equidistant(280.0, 292.0, 241);
    const std::vector<double> mean = reference::spectrumModel(e, truth, 2, 1);
    LibraryLoader loader;
    Module1 first = moduleOf(e, poissonCounts(mean, 1), truth, 2, 1);
    ASSERT_EQ(fitModule(first, loader), FitOutcome::Finished);
    const Uncertainties u = computeUncertainties(first, loader);
    std::vector<std::vector<double>> samples(4);
    for (int32_t f = 0; f < kFits; ++f) {
        Module1 m = moduleOf(e, poissonCounts(mean, 100 + static_cast<uint64_t>(f)), truth, 2, 1);
        ASSERT_EQ(fitModule(m, loader), FitOutcome::Finished);
        const auto& a = m.fitResults.areas;
        samples[0].push_back(a[0]);
        samples[1].push_back(a[1]);
        samples[2].push_back(a[0] / (a[0] + a[1]));
        samples[3].push_back(m.fitResults.widths[0]);
    }
    const double propagated[4] = {u.peaks[0].area.sigma, u.peaks[1].area.sigma,
                                  u.peaks[0].share.sigma, u.peaks[0].widthAtHalfHeight.sigma};
    // The sample deviation of n normal draws scatters by σ/√(2(n − 1)); three of those.
    const double allowed = 3.0 / std::sqrt(2.0 * (kFits - 1));
    for (std::size_t q = 0; q < 4; ++q) {
        double sum = 0.0, sum2 = 0.0;
        for (const double x : samples[q]) {
            sum += x;
        }
        const double average = sum / kFits;
        for (const double x : samples[q]) {
            sum2 += (x - average) * (x - average);
        }
        const double spread = std::sqrt(sum2 / (kFits - 1));
        EXPECT_NEAR(spread, propagated[q], allowed * propagated[q]) << "figure " << q;
    }
}

// --- The degeneracy diagnosis --------------------------------------------------------------

// Two peaks at one position, their Heights tied equal and their Lorentzian widths fixed: the
// sum of two Gaussians of nearly equal widths looks like one, so the data fix the mean width
// but hardly the two apart. With one Gaussian width fixed the fit is well determined.
struct DiagnosisCase {
    const char* name;
    double secondWidth;
    bool secondWidthFixed;
    std::vector<std::string> named;  // the parameters the text must name; none: no text
};

class Degeneracy : public testing::TestWithParam<DiagnosisCase> {};

TEST_P(Degeneracy, NamesTheWidthsThatTradeOff)
{
    const DiagnosisCase& c = GetParam();
    const std::vector<double> truth = {285.0,  2000.0, 0.1, 0.0,           0.9,  285.0,
                                       2000.0, 0.1,    0.0, c.secondWidth, 100.0};
    const std::vector<double> e = equidistant(280.0, 290.0, 201);
    Module1 m =
        moduleOf(e, poissonCounts(reference::spectrumModel(e, truth, 2, 1), 7), truth, 2, 1);
    for (const int32_t j : {kLfwhm, kAlpha, 5 + kLfwhm, 5 + kAlpha}) {
        fixParameter(m, j);
    }
    linkParameter(m, 5 + kPos, kPos, kLinkKindPlus, 0.0);
    linkParameter(m, 5 + kHeight, kHeight, kLinkKindMultiplied, 1.0);
    if (c.secondWidthFixed) {
        fixParameter(m, 5 + kGfwhm);
    }
    LibraryLoader loader;
    ASSERT_EQ(fitModule(m, loader), FitOutcome::Finished);
    const Diagnosis d = computeUncertainties(m, loader).diagnosis;
    EXPECT_EQ(d.badlyDetermined, !c.named.empty()) << d.conditionNumber;
    EXPECT_EQ(d.text.empty(), c.named.empty()) << d.text;
    std::vector<std::string> named;
    for (const CombinationTerm& t : d.terms) {
        named.push_back(t.name);
    }
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, c.named) << d.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Degeneracy,
    testing::Values(DiagnosisCase{"two_gaussian_widths", 0.92, false, {"GFWHM1", "GFWHM2"}},
                    DiagnosisCase{"second_width_fixed", 0.92, true, {}}),
    [](const testing::TestParamInfo<DiagnosisCase>& i) { return std::string(i.param.name); });

struct TextCase {
    const char* name;
    std::vector<CombinationTerm> terms;
    const char* text;
};

class Combination : public testing::TestWithParam<TextCase> {};

TEST_P(Combination, ReadsAsWritten)
{
    EXPECT_EQ(combinationText(GetParam().terms), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Combination,
    testing::Values(
        TextCase{"pair", {{"LFWHM2", 1.0}, {"GFWHM2", -0.8}}, "LFWHM2 \u2212 0.8\u00B7GFWHM2"},
        TextCase{"unit_coefficient_left_out", {{"a0", 1.0}, {"a1", -1.04}}, "a0 \u2212 a1"},
        TextCase{"three_terms",
                 {{"Pos3", 1.0}, {"Alpha3", 0.34}, {"Pos4", -0.51}},
                 "Pos3 + 0.3\u00B7Alpha3 \u2212 0.5\u00B7Pos4"}),
    [](const testing::TestParamInfo<TextCase>& i) { return std::string(i.param.name); });

// --- The eigen-solver ----------------------------------------------------------------------

struct EigenCase {
    const char* name;
    std::size_t n;
    std::vector<double> a;
    std::vector<double> values;  // ascending, in closed form
};

class Jacobi : public testing::TestWithParam<EigenCase> {};

TEST_P(Jacobi, FindsTheKnownSpectrumAndVectors)
{
    const EigenCase& c = GetParam();
    const SymmetricEigen e = jacobiEigen(c.a, c.n);
    for (std::size_t i = 0; i < c.n; ++i) {
        EXPECT_NEAR(e.values[i], c.values[i], 1e-12);
        for (std::size_t r = 0; r < c.n; ++r) {  // A·v = λ·v
            double av = 0.0;
            for (std::size_t k = 0; k < c.n; ++k) {
                av += c.a[r + c.n * k] * e.vectors[k + c.n * i];
            }
            EXPECT_NEAR(av, c.values[i] * e.vectors[r + c.n * i], 1e-12);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Jacobi,
    testing::Values(EigenCase{"correlated_pair", 2, {1.0, -0.99, -0.99, 1.0}, {0.01, 1.99}},
                    EigenCase{"diagonal", 2, {4.0, 0.0, 0.0, 1.0}, {1.0, 4.0}},
                    EigenCase{"tridiagonal",
                              3,
                              {2, 1, 0, 1, 2, 1, 0, 1, 2},
                              {2.0 - std::sqrt(2.0), 2.0, 2.0 + std::sqrt(2.0)}}),
    [](const testing::TestParamInfo<EigenCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace varnix::app
