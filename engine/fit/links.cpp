#include "links.h"

#include <cassert>

namespace varnix::engine {

std::vector<int32_t> freeIndexMap(std::span<const int32_t> state)
{
    std::vector<int32_t> map(state.size(), -1);
    int32_t count = 0;
    for (std::size_t j = 0; j < state.size(); ++j) {
        if (state[j] == kLinkFree) {
            map[j] = count++;
        }
    }
    return map;
}

namespace {

// Index of the free parameter that correlated parameter j follows, or −1 when j contributes
// nothing (not correlated, link mode 0, or outside the contract).
int32_t followedFree(std::size_t j, std::span<const int32_t> freeIndex, const LinkArrays& links)
{
    if (links.state[j] != kLinkCorrelated) {
        return -1;
    }
    const int32_t mode = links.mode[j];
    if (mode != kLinkModeMultiply && mode != kLinkModeAdd) {
        return -1;
    }
    const auto target = static_cast<std::size_t>(links.target[j]);
    return target < freeIndex.size() ? freeIndex[target] : -1;
}

}  // namespace

void DEPEND(std::span<double> p, const LinkArrays& links)
{
    for (std::size_t j = 0; j < p.size(); ++j) {
        if (links.state[j] != kLinkCorrelated) {
            continue;
        }
        const auto target = static_cast<std::size_t>(links.target[j]);
        if (target >= p.size()) {
            continue;
        }
        if (links.mode[j] == kLinkModeMultiply) {
            p[j] = p[target] * links.value[j];
        } else if (links.mode[j] == kLinkModeAdd) {
            p[j] = p[target] + links.value[j];
        }
    }
}

void trialParameters(std::span<const double> p, std::span<const double> step,
                     std::span<const int32_t> freeIndex, const LinkArrays& links,
                     std::span<double> q)
{
    assert(q.size() == p.size() && freeIndex.size() == p.size());
    for (std::size_t j = 0; j < p.size(); ++j) {
        const int32_t m = freeIndex[j];
        q[j] = m >= 0 ? p[j] + step[static_cast<std::size_t>(m)] : p[j];
    }
    DEPEND(q, links);
}

void DERCORR(std::span<double> column, std::span<const double> d,
             std::span<const int32_t> freeIndex, const LinkArrays& links)
{
    for (std::size_t j = 0; j < d.size(); ++j) {
        if (freeIndex[j] >= 0) {
            column[static_cast<std::size_t>(freeIndex[j])] = d[j];
        }
    }
    for (std::size_t k = 0; k < d.size(); ++k) {
        const int32_t m = followedFree(k, freeIndex, links);
        if (m < 0) {
            continue;
        }
        const double contribution =
            links.mode[k] == kLinkModeMultiply ? d[k] * links.value[k] : d[k];
        column[static_cast<std::size_t>(m)] += contribution;
    }
}

}  // namespace varnix::engine
