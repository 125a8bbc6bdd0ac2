// Shared by the configuration editor's tests: a model whose values tell the peaks apart, the
// setup window's core opened on it, and names for parameter indices.
#pragma once

#include "core/editor/peak_setup.h"
#include "core/session/scripted_dialogs.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace varnix::app::test {

enum Kind : int32_t { kPos = 0, kHeight = 1, kLfwhm = 2, kAlpha = 3, kGfwhm = 4 };

// 0-based index of parameter `kind` of 1-based `peak`.
constexpr int32_t at(int32_t peak, Kind kind)
{
    return 5 * (peak - 1) + kind;
}

constexpr int32_t kPos1 = at(1, kPos), kPos2 = at(2, kPos), kPos3 = at(3, kPos),
                  kPos4 = at(4, kPos), kHeight1 = at(1, kHeight), kHeight2 = at(2, kHeight),
                  kHeight3 = at(3, kHeight), kHeight4 = at(4, kHeight);
constexpr int32_t kVaried = kLinkVaried, kCorr = kLinkCorrelated, kFixed = kLinkFixed;
constexpr int32_t kTimes = kLinkKindMultiplied, kPlus = kLinkKindPlus;

using LinkAt = std::pair<int32_t, ParameterLink>;
using ValueAt = std::pair<int32_t, double>;

// Peak k: Pos 80 + k, Height 5000·k, LFWHM 0.2·k, Alpha 0.1, GFWHM 0.5 + k; every parameter
// free; the given links and values on top.
inline void configure(Module1& m, int32_t nds, int32_t nbg, const std::vector<LinkAt>& links = {},
                      const std::vector<ValueAt>& values = {})
{
    Configuration& c = m.configuration;
    c.nds = nds;
    c.nbg = nbg;
    ResizeConfiguration(m);
    for (int32_t k = 1; k <= nds; ++k) {
        const double peak = k;
        const double row[] = {80.0 + peak, 5000.0 * peak, 0.2 * peak, 0.1, 0.5 + peak};
        for (int32_t j = 0; j < 5; ++j) {
            c.p[static_cast<std::size_t>(5 * (k - 1) + j)] = row[j];
        }
    }
    for (const auto& [index, link] : links) {
        c.links[static_cast<std::size_t>(index)] = link;
    }
    for (const auto& [index, value] : values) {
        c.p[static_cast<std::size_t>(index)] = value;
    }
    m.configLoaded = true;
}

// The setup window's core over a module of its own, to be opened by the test (Form_Load).
struct Editor {
    Editor(int32_t nds, int32_t nbg, const std::vector<LinkAt>& links = {},
           const std::vector<ValueAt>& values = {})
    {
        configure(module, nds, nbg, links, values);
    }

    double value(int32_t index) const
    {
        return module.configuration.p.at(static_cast<std::size_t>(index));
    }
    const ParameterLink& link(int32_t index) const
    {
        return module.configuration.links.at(static_cast<std::size_t>(index));
    }
    const ParameterRow& row(Kind kind) const { return setup.view().rows.at(kind); }

    Module1 module;
    ScriptedDialogs dialogs;
    MenuState menu;
    PeakSetup setup{module, dialogs, menu};
};

// Types text into row `kind` and leaves the box, as a user does.
inline SetupEffects typeValue(PeakSetup& setup, Kind kind, const char* text)
{
    SetupEffects effects = setup.txtValue_Change(kind, text);
    effects |= setup.txtValue_LostFocus(kind, text);
    return effects;
}

}  // namespace varnix::app::test
