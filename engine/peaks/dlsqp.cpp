#include "dlsqp.h"

#include <cassert>
#include <limits>

namespace varnix::engine {

DlsqpResult DLSQP(std::span<const double> p, std::span<const double> q, double r)
{
    assert(p.size() == q.size());
    if (p.size() <= 2) {
        return {std::numeric_limits<double>::quiet_NaN(), 1};
    }
    double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
    double t0 = 0.0, t1 = 0.0, t2 = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double p1 = p[i];
        const double p2 = p1 * p1;
        s1 += p1;
        s2 += p2;
        s3 += p2 * p1;
        s4 += p2 * p2;
        t0 += q[i];
        t1 += p1 * q[i];
        t2 += p2 * q[i];
    }
    const auto n = static_cast<double>(p.size());
    const double l = n * t1 - s1 * t0;
    const double m = n * s4 - s2 * s2;
    const double o = n * t2 - s2 * t0;
    const double t = n * s3 - s1 * s2;
    const double u = n * s2 - s1 * s1;
    const double v = u * m - t * t;
    const double b = (l * m - o * t) / v;
    const double c = (o * u - l * t) / v;
    const double a = (t0 - s1 * b - s2 * c) / n;
    return {a + r * (b + r * c), 0};
}

}  // namespace varnix::engine
