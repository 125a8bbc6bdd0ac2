#include "line_batch.h"

#include "fdon.h"

#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>

// The AVX2 variants of the vector math library (libmvec) under their vector-ABI names; the C
// library ships them, but declares them only for -ffast-math builds.
extern "C" {
__m256d _ZGVdN4v_atan(__m256d);
__m256d _ZGVdN4v_log(__m256d);
__m256d _ZGVdN4v_exp(__m256d);
__m256d _ZGVdN4v_sin(__m256d);
__m256d _ZGVdN4v_cos(__m256d);
}
#endif

namespace varnix::engine {

namespace {

// One node, written exactly as the vector version below so that both agree to rounding.
void lineNode(const LineConstants& c, double d, bool derivatives, double& ds, double& fder1,
              double& fderal)
{
    const double eps = 2.0 * d / c.lfwhm;
    const double q = 1.0 + eps * eps;
    const double logD = std::log(c.gamma2 * q);
    const double power = std::exp(-c.halfExponent * logD);  // D^(−(1 − α)/2)
    const double theta = std::atan(eps);
    const double phi = c.phase0 + c.oneMinusAlpha * theta;
    const double cosPhi = std::cos(phi);
    ds = cosPhi * power;
    if (derivatives) {
        const double sinPhi = std::sin(phi);
        fder1 = c.oneMinusAlpha * (sinPhi + eps * cosPhi) * power / (c.gamma * q);
        // tan φ·DS = sin φ·D^(−(1 − α)/2), which stays finite where cos φ = 0.
        fderal = 0.5 * logD * ds + (theta - kHalfPi) * sinPhi * power;
    }
}

void lineBatchScalar(const LineConstants& c, double shift, const double* t, std::size_t count,
                     bool derivatives, double* ds, double* fder1, double* fderal)
{
    for (std::size_t m = 0; m < count; ++m) {
        lineNode(c, shift + t[m], derivatives, ds[m], fder1[m], fderal[m]);
    }
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void lineBatchAvx2(const LineConstants& c, double shift,
                                                   const double* t, std::size_t count,
                                                   bool derivatives, double* ds, double* fder1,
                                                   double* fderal)
{
    alignas(32) double lanes[kLineBatch] = {t[0], t[0], t[0], t[0]};
    for (std::size_t m = 0; m < count; ++m) {
        lanes[m] = t[m];
    }
    const __m256d d = _mm256_add_pd(_mm256_set1_pd(shift), _mm256_load_pd(lanes));
    const __m256d eps = _mm256_div_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), d),
                                      _mm256_set1_pd(c.lfwhm));
    const __m256d q = _mm256_add_pd(_mm256_set1_pd(1.0), _mm256_mul_pd(eps, eps));
    const __m256d logD = _ZGVdN4v_log(_mm256_mul_pd(_mm256_set1_pd(c.gamma2), q));
    const __m256d power = _ZGVdN4v_exp(_mm256_mul_pd(_mm256_set1_pd(-c.halfExponent), logD));
    const __m256d theta = _ZGVdN4v_atan(eps);
    const __m256d phi = _mm256_add_pd(_mm256_set1_pd(c.phase0),
                                      _mm256_mul_pd(_mm256_set1_pd(c.oneMinusAlpha), theta));
    const __m256d cosPhi = _ZGVdN4v_cos(phi);
    const __m256d line = _mm256_mul_pd(cosPhi, power);
    alignas(32) double out[kLineBatch];
    _mm256_store_pd(out, line);
    for (std::size_t m = 0; m < count; ++m) {
        ds[m] = out[m];
    }
    if (!derivatives) {
        return;
    }
    const __m256d sinPhi = _ZGVdN4v_sin(phi);
    const __m256d a = _mm256_mul_pd(_mm256_set1_pd(c.oneMinusAlpha),
                                    _mm256_add_pd(sinPhi, _mm256_mul_pd(eps, cosPhi)));
    const __m256d pos = _mm256_div_pd(_mm256_mul_pd(a, power),
                                      _mm256_mul_pd(_mm256_set1_pd(c.gamma), q));
    _mm256_store_pd(out, pos);
    for (std::size_t m = 0; m < count; ++m) {
        fder1[m] = out[m];
    }
    const __m256d halfLog = _mm256_mul_pd(_mm256_set1_pd(0.5), logD);
    const __m256d shifted = _mm256_sub_pd(theta, _mm256_set1_pd(kHalfPi));
    const __m256d alpha = _mm256_add_pd(_mm256_mul_pd(halfLog, line),
                                        _mm256_mul_pd(_mm256_mul_pd(shifted, sinPhi), power));
    _mm256_store_pd(out, alpha);
    for (std::size_t m = 0; m < count; ++m) {
        fderal[m] = out[m];
    }
}

bool haveAvx2()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

}  // namespace

void lineBatch(const LineConstants& line, double shift, const double* t, std::size_t count,
               bool derivatives, double* ds, double* fder1, double* fderal)
{
#if defined(__x86_64__)
    if (haveAvx2()) {
        lineBatchAvx2(line, shift, t, count, derivatives, ds, fder1, fderal);
        return;
    }
#endif
    lineBatchScalar(line, shift, t, count, derivatives, ds, fder1, fderal);
}

}  // namespace varnix::engine
