#include "synthetic_spectrum.h"

#include "reference_model.h"

#include <cmath>

namespace varnix::reference {

namespace {

constexpr double kFirstEnergy = 280.0;
constexpr double kLastEnergy = 295.0;

// Pos, Height, LFWHM, Alpha, GFWHM of four peaks about two widths apart, so that their flanks
// overlap, then a0 (the background at the last point) and a1.
// clang-format off
const std::vector<double> kTrue = {
    283.00, 5000.0, 0.40, 0.10, 0.90,
    285.10, 3000.0, 0.50, 0.05, 1.00,
    287.20, 1500.0, 0.60, 0.15, 0.80,
    289.50,  800.0, 0.50, 0.08, 1.10,
    200.0, -5.0};
const std::vector<double> kStart = {
    283.20, 4000.0, 0.55, 0.05, 1.10,
    284.90, 3600.0, 0.40, 0.10, 0.80,
    287.45, 1200.0, 0.75, 0.10, 1.00,
    289.30, 1000.0, 0.40, 0.12, 0.90,
    240.0, 0.0};
// clang-format on

// splitmix64: a small generator with a fixed, documented sequence.
uint64_t nextRandom(uint64_t& state)
{
    uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

double uniform(uint64_t& state)
{
    return (static_cast<double>(nextRandom(state) >> 11) + 0.5) * 0x1.0p-53;
}

// Poisson deviate with mean `mean` from a 64-bit generator state, the same on every platform.
int64_t poissonDeviate(double mean, uint64_t& state)
{
    if (mean <= 0.0) {
        return 0;
    }
    if (mean < 30.0) {
        // Multiplication of uniforms (Knuth); exact and fast for small means.
        const double limit = std::exp(-mean);
        int64_t k = 0;
        for (double product = uniform(state); product > limit; product *= uniform(state)) {
            ++k;
        }
        return k;
    }
    // Transformed rejection with squeeze (Hörmann's PTRS), exact for large means.
    const double slam = std::sqrt(mean);
    const double loglam = std::log(mean);
    const double b = 0.931 + 2.53 * slam;
    const double a = -0.059 + 0.02483 * b;
    const double invalpha = 1.1239 + 1.1328 / (b - 3.4);
    const double vr = 0.9277 - 3.6224 / (b - 2.0);
    for (;;) {
        const double u = uniform(state) - 0.5;
        const double v = uniform(state);
        const double us = 0.5 - std::fabs(u);
        const double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= vr) {
            return static_cast<int64_t>(k);
        }
        if (k < 0.0 || (us < 0.013 && v > us)) {
            continue;
        }
        if (std::log(v) + std::log(invalpha) - std::log(a / (us * us) + b) <=
            -mean + k * loglam - std::lgamma(k + 1.0)) {
            return static_cast<int64_t>(k);
        }
    }
}

}  // namespace

SyntheticSpectrum makeSyntheticSpectrum(int32_t np, uint64_t seed)
{
    SyntheticSpectrum s;
    s.trueParameters = kTrue;
    s.startParameters = kStart;
    const auto n = static_cast<std::size_t>(np);
    s.energies.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
        s.energies[i] = kFirstEnergy + t * (kLastEnergy - kFirstEnergy);
    }
    s.model = spectrumModel(s.energies, kTrue, s.nds, s.nbg);
    uint64_t state = seed;
    s.counts.resize(n);
    s.sigmas.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        s.counts[i] = static_cast<double>(poissonDeviate(s.model[i], state));
        s.sigmas[i] = std::sqrt(s.counts[i]) + 1.0;
    }
    return s;
}

}  // namespace varnix::reference
