#include "synthetic.h"

#include <utility>

namespace varnix::engine {

Problem syntheticProblem(int32_t np, uint64_t seed)
{
    SyntheticSpectrum s = makeSyntheticSpectrum(np, seed);
    return Problem(std::move(s.energies), std::move(s.counts), s.nds, s.nbg);
}

}  // namespace varnix::engine
