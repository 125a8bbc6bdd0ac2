#include "funp.h"

#include "links.h"

namespace varnix::engine {

double FUNP(std::span<const double> coefficients, double energy, double referenceEnergy)
{
    const double u = energy - referenceEnergy;
    double power = 1.0;
    double sum = 0.0;
    for (const double a : coefficients) {
        sum += a * power;
        power *= u;
    }
    return sum;
}

void DERP(std::span<const int32_t> state, double energy, double referenceEnergy,
          std::span<double> derivative)
{
    const double u = energy - referenceEnergy;
    double power = 1.0;
    for (std::size_t m = 0; m < derivative.size(); ++m) {
        if (state[m] < kLinkFixed) {
            derivative[m] = power;
        }
        power *= u;
    }
}

}  // namespace varnix::engine
