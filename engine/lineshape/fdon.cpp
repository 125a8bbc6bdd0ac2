#include "fdon.h"

#include <algorithm>
#include <cmath>

namespace varnix::engine {

namespace {

struct LineTerms {
    double gamma;    // LFWHM/2
    double epsilon;  // reduced energy 2(x − Pos)/LFWHM
    double d;        // γ²(1 + ε²)
    double atanEps;  // arctan ε
    double phi;      // phase (π/2)·α + (1 − α)·arctan ε
};

LineTerms lineTerms(const PeakShape& peak, double x)
{
    LineTerms t{};
    t.gamma = peak.lfwhm / 2.0;
    t.epsilon = 2.0 * (x - peak.pos) / peak.lfwhm;
    t.d = t.gamma * t.gamma * (1.0 + t.epsilon * t.epsilon);
    t.atanEps = std::atan(t.epsilon);
    t.phi = kHalfPi * peak.alpha + (1.0 - peak.alpha) * t.atanEps;
    return t;
}

}  // namespace

double FDON(const PeakShape& peak, double x)
{
    const LineTerms t = lineTerms(peak, x);
    return std::cos(t.phi) / std::pow(t.d, (1.0 - peak.alpha) / 2.0);
}

double FDER1(const PeakShape& peak, double x)
{
    const LineTerms t = lineTerms(peak, x);
    const double e2 = 1.0 + t.epsilon * t.epsilon;
    return (1.0 - peak.alpha) * (std::sin(t.phi) + t.epsilon * std::cos(t.phi))
           / (t.gamma * e2 * std::pow(t.d, (1.0 - peak.alpha) / 2.0));
}

double FDERAL(const PeakShape& peak, double x)
{
    const LineTerms t = lineTerms(peak, x);
    const double ds = std::cos(t.phi) / std::pow(t.d, (1.0 - peak.alpha) / 2.0);
    return (0.5 * std::log(t.d) + (t.atanEps - kHalfPi) * std::tan(t.phi)) * ds;
}

double gaussian(double u, double gfwhm)
{
    const double r = u / (kGaussWidth * gfwhm);
    return std::exp(-(r * r));
}

double integrationHalfWidth(double range, double lfwhm, double gfwhm)
{
    const double l = std::fabs(lfwhm);
    const double g = std::fabs(gfwhm);
    double widths = range;
    if (g > 10.0 * l) {
        if (widths >= 3.0 && g > 100.0 * l) {
            widths -= 2.0;
        } else if (widths >= 2.0) {
            widths -= 1.0;
        }
    }
    return widths * std::max(l, g);
}

}  // namespace varnix::engine
