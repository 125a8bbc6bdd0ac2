// The menu-state rule and the exit checks: what a user sees enabled after each step of a
// session, and that no unsaved record is lost without its question.
#include "core/session/menu_state.h"
#include "core/session/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace varnix::app {
namespace {

// Each step of a session against what a user sees enabled (or checked) after it.
TEST(Enable, DataThenConfigurationThenACalculation)
{
    Module1 m;
    m.fitParametersLoaded = m.dataLoaded = true;
    MenuState menu;
    EXPECT_FALSE(Enable(m, menu).has_value());
    // The spectrum has no header lines, and no configuration: nothing to calculate or write.
    EXPECT_EQ(std::tuple(menu.plot.enabled, menu.openData.checked, menu.editHeader.enabled,
                         menu.editEnergies.enabled, menu.energiesExperimentalScale.enabled),
              std::tuple(true, true, false, true, true));
    EXPECT_FALSE(menu.calculateSpectrum.enabled || menu.startFit.enabled || menu.write.enabled ||
                 menu.writeGraph.enabled);

    m.configLoaded = true;
    m.spectrum.nh = 2;
    EXPECT_EQ(Enable(m, menu), std::string("  Input data read - waiting for user action"));
    EXPECT_TRUE(menu.calculateSpectrum.enabled && menu.startFit.enabled &&
                menu.openAllFiles.checked && menu.openConfiguration.checked &&
                menu.editHeader.enabled && menu.write.enabled &&
                menu.writeConfigurationParameters.enabled && menu.energiesBoth.enabled);
    EXPECT_FALSE(menu.writeResults.enabled);  // nothing calculated yet

    // A calculation opens the output entries; the rule never takes Write away again.
    m.calculationDone = true;
    Enable(m, menu);
    EXPECT_TRUE(menu.writeGraph.enabled && menu.saveAsCalculatedSpectraAndData.enabled);
    m.configLoaded = false;
    Enable(m, menu);
    EXPECT_TRUE(menu.write.enabled);
    EXPECT_FALSE(menu.writeConfigurationParameters.enabled || menu.calculateSpectrum.enabled);
}

// Every record unsaved: the four questions come in their fixed order; No to the second stops
// the checks with Save > Fit Parameters enabled and the program running.
TEST(ExitChecks, AskInOrderAndStopAtNo)
{
    Module1 m;
    m.configSaved = m.fitParametersSaved = m.dataSaved = m.calculationSaved = false;
    MenuState menu;
    ScriptedDialogs dialogs;
    dialogs.answerYesNo(true).answerYesNo(false);
    EXPECT_FALSE(runExitChecks(m, dialogs, menu));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Config Data Not Saved - Continue Exit Anyway?",
                                        "Fit Parameter Data Not Saved - Continue Exit Anyway?"}));
    EXPECT_TRUE(m.exitCancelled && menu.saveConfiguration.enabled &&
                menu.saveFitParameters.enabled);

    ScriptedDialogs all;
    all.answerYesNo(true).answerYesNo(true).answerYesNo(true).answerYesNo(true);
    EXPECT_TRUE(runExitChecks(m, all, menu));
    EXPECT_EQ(all.records().size(), 4U);
    EXPECT_EQ(all.texts().back(), "Calculated Spectra Not Saved - Continue Exit Anyway?");
    // Yes throws work away: Return must not.
    for (const DialogRecord& question : all.records()) {
        EXPECT_EQ(question.defaultButton, DefaultButton::NoOrCancel) << question.text;
    }
    EXPECT_FALSE(m.exitCancelled);
    EXPECT_TRUE(menu.saveAsData.enabled && menu.saveAsCalculatedSpectra.enabled);
}

TEST(ExitChecks, NewConfigurationIsSavedThroughSaveAs)
{
    Module1 m;
    m.configSaved = false;
    m.configIsNew = true;
    MenuState menu;
    menu.saveAsConfiguration.enabled = false;
    ScriptedDialogs dialogs;
    dialogs.answerYesNo(false);
    EXPECT_FALSE(runExitChecks(m, dialogs, menu));
    EXPECT_TRUE(menu.saveAsConfiguration.enabled);
    EXPECT_FALSE(menu.saveConfiguration.enabled);

    // Nothing unsaved: no question at all.
    Module1 clean;
    ScriptedDialogs none;
    EXPECT_TRUE(runExitChecks(clean, none, menu));
    EXPECT_TRUE(none.records().empty());
}

}  // namespace
}  // namespace varnix::app
