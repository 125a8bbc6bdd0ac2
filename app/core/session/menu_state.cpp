#include "core/session/menu_state.h"

namespace varnix::app {

namespace {

void setModelEntries(const Module1& m, MenuState& menu)
{
    if (m.configLoaded) {
        menu.write.enabled = true;
    }
    menu.editConfigurationData.enabled = m.configLoaded;
    menu.writeConfigurationParameters.enabled = m.configLoaded;
    menu.openConfiguration.checked = m.configLoaded;
    menu.saveAsConfiguration.enabled = m.configLoaded;
    if (m.fitParametersLoaded) {
        menu.editFitParameters.enabled = true;
    }
    const bool both = m.dataLoaded && m.configLoaded;
    menu.calculateSpectrum.enabled = both;
    menu.startFit.enabled = both;
    menu.openAllFiles.checked = both;
}

void setDataEntries(const Module1& m, MenuState& menu)
{
    menu.plot.enabled = m.dataLoaded;
    if (m.dataLoaded) {
        menu.openData.checked = true;
    }
    menu.editHeader.enabled = m.dataLoaded && m.spectrum.nh > 0;
    const bool calculated = m.calculationDone;
    menu.saveAsCalculatedSpectra.enabled = calculated;
    menu.saveAsCalculatedSpectraAndData.enabled = calculated;
    menu.writeGraph.enabled = calculated;
    menu.writeResults.enabled = calculated;
    menu.writeCorrelations.enabled = calculated;
}

void setEnergyEntries(const Module1& m, MenuState& menu)
{
    menu.editEnergies.enabled = m.dataLoaded || m.configLoaded;
    if (m.dataLoaded) {
        menu.energiesExperimentalScale.enabled = true;
    }
    if (m.configLoaded) {
        menu.energiesPeakPositions.enabled = true;
    }
    if (m.dataLoaded && m.configLoaded) {
        menu.energiesBoth.enabled = true;
    }
}

}  // namespace

std::optional<std::string> Enable(const Module1& module, MenuState& menu)
{
    menu.edit.enabled = module.dataLoaded || module.configLoaded || module.fitParametersLoaded;
    setModelEntries(module, menu);
    setDataEntries(module, menu);
    setEnergyEntries(module, menu);
    menu.customize.enabled = true;
    if (module.dataLoaded && module.configLoaded) {
        return std::string(kInputDataReadStatus);
    }
    return std::nullopt;
}

void markConfigurationModified(Module1& module, MenuState& menu)
{
    module.configSaved = false;
    menu.saveConfiguration.checked = false;
    menu.saveAsConfiguration = MenuEntry{true, false};
    if (!module.configIsNew) {
        menu.saveConfiguration.enabled = true;
    }
}

bool runExitChecks(Module1& module, Dialogs& dialogs, MenuState& menu)
{
    struct Check {
        bool saved;
        MenuEntry* saveEntry;
        const char* question;
    };
    MenuEntry* configEntry =
        module.configIsNew ? &menu.saveAsConfiguration : &menu.saveConfiguration;
    const Check checks[] = {
        {module.configSaved, configEntry, "Config Data Not Saved - Continue Exit Anyway?"},
        {module.fitParametersSaved, &menu.saveFitParameters,
         "Fit Parameter Data Not Saved - Continue Exit Anyway?"},
        {module.dataSaved, &menu.saveAsData,
         "Modified Experimental Data Not Saved - Continue Exit Anyway?"},
        {module.calculationSaved, &menu.saveAsCalculatedSpectra,
         "Calculated Spectra Not Saved - Continue Exit Anyway?"},
    };
    for (const Check& check : checks) {
        if (check.saved) {
            continue;
        }
        check.saveEntry->enabled = true;
        if (!dialogs.askYesNo(check.question, DefaultButton::NoOrCancel)) {
            module.exitCancelled = true;
            return false;
        }
    }
    module.exitCancelled = false;
    return true;
}

}  // namespace varnix::app
