#include "core/editor/peak_setup.h"

#include "core/session/number_format.h"
#include "core/editor/peak_list.h"
#include "core/display/plot_sets.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace varnix::app {

namespace {

constexpr int32_t kFirstWidthRow = 2;  // LFWHM, Alpha and GFWHM are inherited

std::size_t at(int32_t index)
{
    return static_cast<std::size_t>(index);
}

std::optional<int32_t> wholeNumber(std::string_view text, int32_t low, int32_t high)
{
    const std::optional<double> number = parseNumber(text);
    if (!number || *number != std::floor(*number) || *number < low || *number > high) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*number);
}

bool allZero(const std::vector<double>& p, int32_t first)
{
    return std::all_of(p.begin() + first, p.begin() + first + kParametersPerPeak,
                       [](double value) { return value == 0.0; });
}

}  // namespace

PeakSetup::PeakSetup(Module1& module, Dialogs& dialogs, MenuState& menu)
    : m_module(module),
      m_dialogs(dialogs),
      m_menu(menu),
      m_links(module, dialogs, menu, m_view.rows, m_ready)
{
}

int32_t PeakSetup::firstOfCurrentPeak() const
{
    return kParametersPerPeak * (m_module.currentPeak - 1);
}

SetupEffects PeakSetup::modified()
{
    markConfigurationModified(m_module, m_menu);
    SetupEffects effects;
    effects.menusChanged = true;
    return effects;
}

void PeakSetup::requestReplot(SetupEffects& effects, int32_t plotType) const
{
    // Without a spectrum there is nothing to draw.
    if (m_module.dataLoaded) {
        effects.replot = plotType;
    }
}

// ---- opening and closing ----------------------------------------------------------------------

SetupEffects PeakSetup::Form_Load()
{
    Configuration& c = config();
    c.nds = std::max(c.nds, 1);
    m_view.nds = TextBox{std::to_string(c.nds)};
    m_view.peakLimit = c.nds;
    m_view.deleteEnabled = c.nds >= 2 && !m_module.configIsNew;
    m_ready = false;
    m_rowTyped = {};
    m_coefficientTyped = {};
    ResizeConfiguration(m_module);
    for (int32_t peak = c.nds; peak >= 1; --peak) {
        m_module.currentPeak = peak;
        ShowValues();
    }
    m_module.currentPeak = 1;
    m_view.peakNumber = TextBox{"1"};
    ShowPol();
    m_ready = true;

    SetupEffects effects;
    effects.rowsChanged = effects.coefficientsChanged = effects.countsChanged = true;
    checkPhotonEnergy(effects);
    effects.status = Enable(m_module, m_menu);
    effects.menusChanged = true;
    if (m_module.dataLoaded) {
        effects.closePlotWindow = m_module.windowOpen.plot;
        effects.replot = 0;
        effects.plotSelectEnabled = true;
    }
    m_module.windowOpen.peakSetup = true;
    return effects;
}

// A photon energy of the data other than the one stored with the configuration means the
// peaks were (or are to be) moved: the configuration differs from its file. Agreement says
// nothing about other edits, so it never marks the configuration saved.
void PeakSetup::checkPhotonEnergy(SetupEffects& effects)
{
    const double data = m_module.spectrum.hmu;
    const double stored = config().hmuConfig;
    if (m_module.dataLoaded && data != 0.0 && stored != 0.0 &&
        std::abs(data - stored) >= kPhotonEnergyTolerance) {
        effects |= modified();
    }
}

SetupEffects PeakSetup::Form_Unload()
{
    SetupEffects effects = commitTypedBoxes();
    m_ready = false;
    m_module.windowOpen.peakSetup = false;
    effects.plotSelectEnabled = false;
    return effects;
}

// ---- showing ----------------------------------------------------------------------------------

void PeakSetup::ShowValues()
{
    Configuration& c = config();
    MakeParameterNames(c);
    const int32_t first = firstOfCurrentPeak();
    const bool inherits = first >= kParametersPerPeak && allZero(c.p, first);
    for (int32_t i = 0; i < kParametersPerPeak; ++i) {
        ParameterRow& row = m_view.rows[at(i)];
        row.entries.clear();
        for (int32_t peak = 1; peak <= c.nds; ++peak) {
            row.entries.push_back(parameterName(c.nds, kParametersPerPeak * (peak - 1) + i));
        }
        const int32_t p = first + i;
        if (inherits && i >= kFirstWidthRow) {
            c.p[at(p)] = c.p[at(p - kParametersPerPeak)];
        }
        row.value = TextBox{valueText(c.p[at(p)], i)};
        row.name = c.names[at(p)];
        row.visible = true;
        m_links.showRow(i);
        m_rowTyped[at(i)] = false;
    }
}

void PeakSetup::ShowPol()
{
    const Configuration& c = config();
    m_view.coefficientsShown = c.nbg > 0;
    for (int32_t n = 0; n < kMaxBackgroundCoefficients; ++n) {
        CoefficientBox& coefficient = m_view.coefficients[at(n)];
        coefficient.visible = n < c.nbg;
        if (coefficient.visible) {
            coefficient.box = TextBox{formatNumber(c.a[at(n)])};
            m_coefficientTyped[at(n)] = false;
        }
    }
    m_view.background = c.nbg;
}

void PeakSetup::InitPlot()
{
    const Configuration& c = config();
    const std::size_t size = at(std::max(m_module.spectrum.np, 0)) * at(c.ncomp);
    std::vector<double>& components = m_module.fitResults.components;
    if (!components.empty() && components.size() != size) {
        components.assign(size, 0.0);
    }
}

// ---- peaks ------------------------------------------------------------------------------------

SetupEffects PeakSetup::txtPeakNumber_Change(std::string_view text)
{
    m_view.peakNumber.text = text;
    if (!m_ready) {
        return {};
    }
    m_module.replotSuppressed = true;
    SetupEffects effects = commitTypedBoxes();
    const std::optional<int32_t> peak = wholeNumber(text, 1, config().nds);
    m_view.peakNumber.invalid = !peak;
    effects.countsChanged = true;
    if (!peak) {
        m_module.replotSuppressed = false;
        return effects;
    }
    effects |= selectPeak(*peak);
    return effects;
}

SetupEffects PeakSetup::selectPeak(int32_t peak)
{
    SetupEffects effects;
    m_module.currentPeak = peak;
    if (!m_module.peakSyncGuard && m_module.windowOpen.plot) {
        effects.plotPeakNumber = peak;
    }
    ShowValues();
    m_module.replotSuppressed = false;
    effects.rowsChanged = effects.countsChanged = true;
    if (m_module.windowOpen.plot) {
        requestReplot(effects, m_module.plot.plotType);
    }
    return effects;
}

SetupEffects PeakSetup::txtNDS_Change(std::string_view text)
{
    m_view.nds.text = text;
    if (!m_ready) {
        return {};
    }
    const int32_t before = config().nds;
    const std::optional<int32_t> nds = wholeNumber(text, 1, kMaxPeaksTyped);
    m_view.nds.invalid = !nds;
    SetupEffects effects;
    effects.countsChanged = true;
    if (!nds || *nds == before) {
        return effects;
    }
    effects |= commitTypedBoxes();
    effects |= resizePeaks(*nds);
    if (m_module.currentPeak > *nds) {
        m_view.peakNumber = TextBox{std::to_string(*nds)};
        effects |= selectPeak(*nds);
    } else if (*nds < before) {
        // Links into the removed peaks were freed: the rows show it.
        ShowValues();
        effects.rowsChanged = true;
    }
    return effects;
}

// The new number of peaks in the arrays, the spin limits and the result arrays; the rows are
// the caller's.
SetupEffects PeakSetup::resizePeaks(int32_t nds)
{
    config().nds = nds;
    m_view.peakLimit = nds;
    SetupEffects effects = modified();
    effects.countsChanged = true;
    if (m_module.windowOpen.plot) {
        effects.plotPeakLimit = nds;
    }
    ResizeConfiguration(m_module);
    InitPlot();
    return effects;
}

SetupEffects PeakSetup::cmdInsert_Click()
{
    if (!m_ready) {
        return {};
    }
    SetupEffects effects = commitTypedBoxes();
    const int32_t peak = m_module.currentPeak;
    effects |= resizePeaks(config().nds + 1);
    m_view.nds = TextBox{std::to_string(config().nds)};
    openPeakAt(config(), firstOfCurrentPeak());
    effects |= selectPeak(peak);
    return effects;
}

SetupEffects PeakSetup::cmdDelete_Click()
{
    Configuration& c = config();
    if (!m_ready || !m_view.deleteEnabled || c.nds <= 1) {
        return {};
    }
    SetupEffects effects = commitTypedBoxes();
    const int32_t first = firstOfCurrentPeak();
    const std::vector<int32_t> followers = linksInto(c, first);
    if (!followers.empty() &&
        !m_dialogs.askOkCancel(kDeletePeakWarning, DefaultButton::NoOrCancel)) {
        return effects;
    }
    for (const int32_t j : followers) {
        c.links[at(j)] = ParameterLink{kLinkVaried, j, 1.0, kLinkKindNone};
    }
    closePeakAt(c, first);
    effects |= resizePeaks(c.nds - 1);
    m_view.nds = TextBox{std::to_string(c.nds)};
    if (m_module.currentPeak > c.nds) {
        m_module.currentPeak = c.nds;
        m_view.peakNumber = TextBox{std::to_string(c.nds)};
        if (m_module.windowOpen.plot) {
            effects.plotPeakNumber = c.nds;
        }
    }
    ShowValues();
    effects.rowsChanged = true;
    requestReplot(effects, 0);
    return effects;
}

// ---- background -------------------------------------------------------------------------------

SetupEffects PeakSetup::optBack_Click(int32_t type)
{
    if (type < 0 || type > kMaxBackgroundCoefficients) {
        return {};
    }
    const bool changed = type != config().nbg;
    config().nbg = type;
    ShowPol();
    ResizeConfiguration(m_module);
    SetupEffects effects = changed ? modified() : SetupEffects{};
    effects.coefficientsChanged = true;
    return effects;
}

SetupEffects PeakSetup::cmdAuto_Click()
{
    if (!m_ready) {
        return {};
    }
    const Spectrum& s = m_module.spectrum;
    SetupEffects effects;
    const std::size_t np = at(std::max(s.np, 0));
    if (!m_module.dataLoaded || np == 0 || s.energy.size() < np || s.counts.size() < np) {
        effects.status = std::string(kAutoWithoutSpectrum);
        return effects;
    }
    const double run = s.energy[np - 1] - s.energy[0];
    if (run == 0.0) {
        effects.status = std::string(kAutoEqualEnergies);
        return effects;
    }
    config().a = {s.counts[np - 1], (s.counts[np - 1] - s.counts[0]) / run, 0.0};
    ShowPol();
    effects |= modified();
    effects.coefficientsChanged = true;
    return effects;
}

// ---- typing and committing --------------------------------------------------------------------

SetupEffects PeakSetup::txtValue_Change(int32_t i, std::string_view text)
{
    if (i < 0 || i >= kParametersPerPeak) {
        return {};
    }
    TextBox& box = m_view.rows[at(i)].value;
    box.text = text;
    box.invalid = box.invalid && !parseNumber(text);
    SetupEffects effects;
    effects.rowsChanged = true;
    if (m_ready) {
        m_rowTyped[at(i)] = true;
        effects |= modified();
    }
    return effects;
}

SetupEffects PeakSetup::txtValue_LostFocus(int32_t i, std::string_view text)
{
    if (!m_ready || i < 0 || i >= kParametersPerPeak || !m_rowTyped[at(i)]) {
        return {};
    }
    m_rowTyped[at(i)] = false;
    TextBox& box = m_view.rows[at(i)].value;
    box.text = text;
    const std::optional<double> number = parseNumber(text);
    box.invalid = !number;
    SetupEffects effects;
    effects.rowsChanged = true;
    if (!number) {
        return effects;
    }
    const int32_t p = firstOfCurrentPeak() + i;
    config().p[at(p)] = *number;
    m_links.propagateValue(p);
    if (!m_module.replotSuppressed) {
        requestReplot(effects, m_module.plot.plotType);
    }
    return effects;
}

SetupEffects PeakSetup::txtPolValue_Change(int32_t n, std::string_view text)
{
    if (n < 0 || n >= kMaxBackgroundCoefficients) {
        return {};
    }
    TextBox& box = m_view.coefficients[at(n)].box;
    box.text = text;
    box.invalid = box.invalid && !parseNumber(text);
    SetupEffects effects;
    effects.coefficientsChanged = true;
    if (m_ready) {
        m_coefficientTyped[at(n)] = true;
        effects |= modified();
    }
    return effects;
}

SetupEffects PeakSetup::txtPolValue_LostFocus(int32_t n, std::string_view text)
{
    if (!m_ready || n < 0 || n >= kMaxBackgroundCoefficients || !m_coefficientTyped[at(n)]) {
        return {};
    }
    m_coefficientTyped[at(n)] = false;
    TextBox& box = m_view.coefficients[at(n)].box;
    box.text = text;
    const std::optional<double> number = parseNumber(text);
    box.invalid = !number;
    SetupEffects effects;
    effects.coefficientsChanged = true;
    if (!number) {
        return effects;
    }
    config().a[at(n)] = *number;
    if (!m_module.replotSuppressed) {
        requestReplot(effects, m_module.plot.plotType);
    }
    return effects;
}

SetupEffects PeakSetup::commitTypedCoefficients()
{
    SetupEffects effects;
    for (int32_t n = 0; n < kMaxBackgroundCoefficients; ++n) {
        effects |= txtPolValue_LostFocus(n, m_view.coefficients[at(n)].box.text);
    }
    return effects;
}

SetupEffects PeakSetup::commitTypedBoxes()
{
    SetupEffects effects;
    for (int32_t i = 0; i < kParametersPerPeak; ++i) {
        effects |= txtValue_LostFocus(i, m_view.rows[at(i)].value.text);
    }
    effects |= commitTypedCoefficients();
    return effects;
}

SetupEffects PeakSetup::cmdShowAll_Click()
{
    SetupEffects effects = commitTypedBoxes();
    effects.showAllParameters = true;
    return effects;
}

// ---- the plot window's Select mode ------------------------------------------------------------

SetupEffects PeakSetup::peakChosenInPlot(std::string_view text)
{
    if (!m_module.windowOpen.peakSetup) {
        return {};
    }
    m_module.peakSyncGuard = true;
    SetupEffects effects = txtPeakNumber_Change(text);
    m_module.peakSyncGuard = false;
    return effects;
}

// Types text into row i's value box and leaves it, as a user would; false when the box is
// disabled because the value follows another peak.
bool PeakSetup::typeIntoRow(int32_t i, std::string_view text, SetupEffects& effects)
{
    if (!m_view.rows[at(i)].value.enabled) {
        return false;
    }
    effects |= txtValue_Change(i, text);
    effects |= txtValue_LostFocus(i, text);
    return true;
}

SetupEffects PeakSetup::moveSelectedPeak(double shownEnergy, double intensity)
{
    if (!m_ready) {
        return {};
    }
    m_module.replotSuppressed = true;
    SetupEffects effects = commitTypedCoefficients();
    const double position = kineticEnergy(m_module.spectrum, shownEnergy);
    const bool positionMoved = typeIntoRow(0, formatNumber(position, kPositionFormat), effects);
    const bool heightMoved =
        typeIntoRow(kHeightRow, formatNumber(intensity, kHeightFormat), effects);
    m_module.replotSuppressed = false;
    if (!positionMoved || !heightMoved) {
        m_dialogs.message(!positionMoved && !heightMoved ? kPeakMoveBothFixed
                          : !positionMoved               ? kPeakMovePositionFixed
                                                         : kPeakMoveHeightFixed);
    }
    if (positionMoved || heightMoved) {
        if (m_module.calculationDone) {
            effects.recalculate = true;
        } else {
            requestReplot(effects, m_module.plot.plotType);
        }
    }
    return effects;
}

}  // namespace varnix::app
