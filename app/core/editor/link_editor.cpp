#include "core/editor/link_editor.h"

#include "core/session/number_format.h"

#include <string>

namespace varnix::app {

namespace {

constexpr std::string_view kFixedCaption = "yes";
constexpr std::string_view kFreeCaption = "no";

std::string chainMessage(const std::string& chosen, const std::string& partner,
                         const std::string& own)
{
    // Two blanks after "variable", as the message has always read.
    return "Warning - chosen variable  " + chosen + " is already correlated with " + partner + "." +
           "\n" + "Thus " + own + " will be correlated with " + partner + ".";
}

// The state a parameter takes when it follows a partner in `partnerState`: it follows a varied
// partner during the fit and is computed once from a fixed one. Following a correlated partner
// leaves it as it was; the chain rule never lets that happen.
std::optional<int32_t> followerState(int32_t partnerState)
{
    if (partnerState == kLinkVaried) {
        return kLinkCorrelated;
    }
    if (partnerState == kLinkFixed) {
        return kLinkFixed;
    }
    return std::nullopt;
}

void deselectOperations(ParameterRow& row)
{
    row.multiplySelected = false;
    row.plusSelected = false;
}

void selectOperation(ParameterRow& row, int32_t kind)
{
    row.multiplySelected = kind == kLinkKindMultiplied;
    row.plusSelected = kind == kLinkKindPlus;
}

}  // namespace

SetupEffects& SetupEffects::operator|=(const SetupEffects& later)
{
    rowsChanged = rowsChanged || later.rowsChanged;
    coefficientsChanged = coefficientsChanged || later.coefficientsChanged;
    countsChanged = countsChanged || later.countsChanged;
    menusChanged = menusChanged || later.menusChanged;
    closePlotWindow = closePlotWindow || later.closePlotWindow;
    recalculate = recalculate || later.recalculate;
    showAllParameters = showAllParameters || later.showAllParameters;
    const auto take = [](auto& mine, const auto& theirs) {
        if (theirs) {
            mine = theirs;
        }
    };
    take(replot, later.replot);
    take(plotPeakNumber, later.plotPeakNumber);
    take(plotPeakLimit, later.plotPeakLimit);
    take(plotSelectEnabled, later.plotSelectEnabled);
    take(status, later.status);
    return *this;
}

std::string valueText(double value, int32_t row)
{
    return formatNumber(value, row == kHeightRow ? kHeightFormat : kPositionFormat);
}

LinkEditor::LinkEditor(Module1& module, Dialogs& dialogs, MenuState& menu, ParameterRows& rows,
                       const bool& ready)
    : m_module(module), m_dialogs(dialogs), m_menu(menu), m_rows(rows), m_ready(ready)
{
}

ParameterRow& LinkEditor::rowOf(int32_t i)
{
    return m_rows[static_cast<std::size_t>(i)];
}

int32_t LinkEditor::parameterOf(int32_t i) const
{
    return kParametersPerPeak * (m_module.currentPeak - 1) + i;
}

ParameterLink& LinkEditor::link(int32_t p)
{
    return m_module.configuration.links.at(static_cast<std::size_t>(p));
}

double& LinkEditor::value(int32_t p)
{
    return m_module.configuration.p.at(static_cast<std::size_t>(p));
}

std::string LinkEditor::name(int32_t p) const
{
    return parameterName(m_module.configuration.nds, p);
}

bool LinkEditor::usable(int32_t i) const
{
    const int32_t nds = m_module.configuration.nds;
    return m_ready && i >= 0 && i < kParametersPerPeak && m_module.currentPeak >= 1 &&
           m_module.currentPeak <= nds;
}

SetupEffects LinkEditor::modified()
{
    markConfigurationModified(m_module, m_menu);
    SetupEffects effects;
    effects.rowsChanged = true;
    effects.menusChanged = true;
    return effects;
}

// ---- showing a row --------------------------------------------------------------------------

void LinkEditor::showRow(int32_t i)
{
    const int32_t p = parameterOf(i);
    ParameterRow& row = rowOf(i);
    ParameterLink& record = link(p);
    if (record.state == kLinkVaried) {
        record = ParameterLink{kLinkVaried, p, 1.0, kLinkKindNone};
        showFree(row, p);
    } else if (record.partner == p) {
        showFixed(row);
        showOwn(row, p);
    } else {
        showFixed(row);
        row.selectedEntry = record.partner / kParametersPerPeak;
        showCorrelated(row, record);
    }
}

void LinkEditor::showFree(ParameterRow& row, int32_t p)
{
    row.fixed = false;
    row.fixedCaption = kFreeCaption;
    row.listEnabled = false;
    showOwn(row, p);
}

void LinkEditor::showFixed(ParameterRow& row)
{
    row.fixed = true;
    row.fixedCaption = kFixedCaption;
    row.listEnabled = true;
}

// A parameter that is its own partner: its own peak in the list, its value typed, no factor.
void LinkEditor::showOwn(ParameterRow& row, int32_t p)
{
    row.selectedEntry = p / kParametersPerPeak;
    row.value.enabled = true;
    row.factor = TextBox{{}, false, false};
    deselectOperations(row);
    row.operationEnabled = false;
}

void LinkEditor::showCorrelated(ParameterRow& row, ParameterLink& record)
{
    row.value.enabled = false;
    row.operationEnabled = true;
    if (record.value == 0.0) {
        // A factor of 0 would make the parameter 0 whatever its partner: an offset is meant.
        record.kind = kLinkKindPlus;
    } else if (record.kind == kLinkKindNone) {
        record.kind = kLinkKindMultiplied;
    }
    row.factor = TextBox{formatNumber(record.value), true, false};
    selectOperation(row, record.kind);
}

// ---- the handlers ---------------------------------------------------------------------------

SetupEffects LinkEditor::chkVary_Click(int32_t i, bool checked)
{
    if (!usable(i)) {
        return {};
    }
    const int32_t p = parameterOf(i);
    ParameterRow& row = rowOf(i);
    const std::vector<int32_t> followers = dependants(p);
    for (const int32_t j : followers) {
        link(j).state = checked ? kLinkFixed : kLinkCorrelated;
    }
    ParameterLink& record = link(p);
    record.partner = p;
    if (checked) {
        record.state = kLinkFixed;
        showFixed(row);
        showOwn(row, p);
    } else {
        record.state = kLinkVaried;
        record.kind = kLinkKindNone;
        showFree(row, p);
    }
    return modified();
}

SetupEffects LinkEditor::cmbVary_Click(int32_t i, int32_t entry)
{
    if (!usable(i) || entry < 0 || entry >= m_module.configuration.nds) {
        return {};
    }
    const int32_t p = parameterOf(i);
    if (link(p).state == kLinkVaried) {
        return {};  // the list of a varied parameter is disabled
    }
    const int32_t q = resolveChain(p, kParametersPerPeak * entry + i);
    rowOf(i).selectedEntry = q / kParametersPerPeak;
    link(p).partner = q;
    if (q != p) {
        correlate(i, p, q);
    } else {
        link(p).state = kLinkFixed;
        link(p).kind = kLinkKindNone;
        showOwn(rowOf(i), p);
        for (const int32_t j : dependants(p)) {
            link(j).state = kLinkFixed;
        }
    }
    rowOf(i).value.text = valueText(value(p), i);
    return modified();
}

// A chosen partner that itself follows a varied parameter r is replaced by r, so that no
// parameter follows a follower; the user is told, and the list shows r's peak.
int32_t LinkEditor::resolveChain(int32_t p, int32_t q)
{
    if (q == p || link(q).state != kLinkCorrelated) {
        return q;
    }
    const int32_t r = link(q).partner;
    m_dialogs.message(chainMessage(name(q), name(r), name(p)));
    return r;
}

void LinkEditor::correlate(int32_t i, int32_t p, int32_t q)
{
    ParameterLink& record = link(p);
    const std::optional<int32_t> state = followerState(link(q).state);
    if (state) {
        record.state = *state;
    }
    ParameterRow& row = rowOf(i);
    showCorrelated(row, record);
    recompute(p);
    // p's own followers now follow q, so that no chain arises.
    for (const int32_t j : dependants(p)) {
        link(j).partner = q;
        if (state) {
            link(j).state = *state;
        }
    }
}

SetupEffects LinkEditor::optX_Click(int32_t i)
{
    return chooseOperation(i, kLinkKindMultiplied);
}

SetupEffects LinkEditor::optP_Click(int32_t i)
{
    return chooseOperation(i, kLinkKindPlus);
}

SetupEffects LinkEditor::chooseOperation(int32_t i, int32_t kind)
{
    if (!usable(i)) {
        return {};
    }
    const int32_t p = parameterOf(i);
    ParameterLink& record = link(p);
    record.kind = kind;
    ParameterRow& row = rowOf(i);
    if (record.partner != p) {
        recompute(p);
    }
    selectOperation(row, kind);
    row.value.text = valueText(value(p), i);
    row.factor.text = formatNumber(record.value);
    row.factor.invalid = false;
    return modified();
}

SetupEffects LinkEditor::txtFactor_Change(int32_t i, std::string_view text)
{
    if (i < 0 || i >= kParametersPerPeak) {
        return {};
    }
    ParameterRow& row = rowOf(i);
    row.factor.text = text;
    const int32_t p = parameterOf(i);
    if (!usable(i) || link(p).partner == p) {
        return {};
    }
    const std::optional<double> factor = parseNumber(text);
    row.factor.invalid = !factor;
    if (!factor) {
        SetupEffects effects;
        effects.rowsChanged = true;
        return effects;
    }
    link(p).value = *factor;
    recompute(p);
    row.value.text = valueText(value(p), i);
    return modified();
}

SetupEffects LinkEditor::txtFactor_LostFocus(int32_t i, std::string_view text)
{
    if (!usable(i) || link(parameterOf(i)).partner == parameterOf(i)) {
        return {};
    }
    ParameterLink& record = link(parameterOf(i));
    const bool empty = text.find_first_not_of(" \t") == std::string_view::npos;
    if (empty && record.kind == kLinkKindMultiplied) {
        record.kind = kLinkKindPlus;
    }
    return chooseOperation(i, record.kind == kLinkKindPlus ? kLinkKindPlus : kLinkKindMultiplied);
}

// ---- values following partners ----------------------------------------------------------------

void LinkEditor::recompute(int32_t p)
{
    const ParameterLink& record = link(p);
    const double partner = value(record.partner);
    if (record.kind == kLinkKindMultiplied) {
        value(p) = record.value * partner;
    } else if (record.kind == kLinkKindPlus) {
        value(p) = record.value + partner;
    }
}

void LinkEditor::propagateValue(int32_t p)
{
    for (const int32_t j : dependants(p)) {
        ParameterLink& record = link(j);
        if (record.kind == kLinkKindNone) {
            record.kind = kLinkKindMultiplied;
            record.value = 1.0;
        }
        if (record.kind == kLinkKindMultiplied && record.value == 0.0) {
            record.value = 1.0;
        }
        recompute(j);
    }
}

std::vector<int32_t> LinkEditor::dependants(int32_t p)
{
    std::vector<int32_t> found;
    const int32_t peakParameters = kParametersPerPeak * m_module.configuration.nds;
    for (int32_t j = p % kParametersPerPeak; j < peakParameters; j += kParametersPerPeak) {
        if (j != p && link(j).partner == p) {
            found.push_back(j);
        }
    }
    return found;
}

}  // namespace varnix::app
