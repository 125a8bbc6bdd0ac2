// Start Fit through the real engine library: a whole fit of the synthetic spectrum, the stopping
// rules, Break, Exit, the two questions of a failing iteration and the failures that end the
// program. The hooks record what the windows would have been asked to do.
#include "command_fixture.h"
#include "core/fit/calculate.h"
#include "core/fit/fit_driver.h"
#include "reference_model.h"
#include "synthetic_module.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varnix::app {
namespace {

using namespace test;
using Texts = std::vector<std::string>;

constexpr int32_t kPoints = 201;  // the example's range, coarser: quick under the sanitizers
// Poisson counts put a fitted parameter within 4σ of the truth but for 6e-5 of the time; the
// engine's model differs from the one the counts were drawn from by 0.002σ at most.
constexpr double kFitSigmas = 4.0;

// Made once: the independent model behind it is the slow part.
const reference::SyntheticSpectrum& synthetic()
{
    static const reference::SyntheticSpectrum s = reference::makeSyntheticSpectrum(kPoints);
    return s;
}

class StartFit : public testing::Test {
protected:
    StartFit() : m(syntheticModule(synthetic()))
    {
        Enable(m, menu);
        hooks.showStatus = [this](std::string_view text) { statuses.emplace_back(text); };
        hooks.showPanels = [this](const IterationPanels& p) {
            panels.push_back(p);
            chiSquares.push_back(m.fitResults.chiSquare);
        };
        hooks.showResults = [this](bool final, bool brokenOff) {
            results.push_back(final ? (brokenOff ? "final, broken off" : "final") : "iteration");
            menusDuringFit.push_back(menu);
        };
        hooks.processEvents = [this] {
            ++eventRuns;
            if (breakAfterEvents > 0 && --breakAfterEvents == 0) {
                m.breakRequested = true;
            }
        };
    }

    FitOutcome fit() { return mnuFit_Click(m, dialogs, loader, menu, hooks); }

    Module1 m;
    MenuState menu;
    ScriptedDialogs dialogs;
    LibraryLoader loader;
    FitHooks hooks;
    Texts statuses;
    std::vector<IterationPanels> panels;
    std::vector<double> chiSquares;
    std::vector<std::string> results;
    std::vector<MenuState> menusDuringFit;
    int eventRuns = 0;
    int breakAfterEvents = 0;  // sets Break on this run of the events (the first is at start)
};

TEST_F(StartFit, RecoversTheTrueParametersWithStandardDeviations)
{
    const reference::SyntheticSpectrum& s = synthetic();
    const double chiStart = reference::weightedChiSquare(
        s.counts, s.sigmas, reference::spectrumModel(s.energies, s.startParameters, 4, 2));
    ASSERT_GT(chiStart, 100.0 * reference::weightedChiSquare(s.counts, s.sigmas, s.model))
        << "the start must be far from the truth";
    const std::vector<double> start = m.configuration.p;
    ASSERT_EQ(fit(), FitOutcome::Finished);

    // The blank panels of the start, then one set per iteration.
    ASSERT_GE(panels.size(), 4U);
    EXPECT_EQ(panels[0], (IterationPanels{"After Iteration : ", "R : ", "delta R : "}));
    EXPECT_EQ(panels[1].iteration, "After Iteration : 1");
    for (std::size_t i = 2; i + 1 < chiSquares.size(); ++i) {
        EXPECT_LT(chiSquares[i], chiSquares[i - 1]) << "iteration " << i + 1;
    }
    // R is √(χ²/NP), and the first ΔR is R itself.
    const std::string firstR = fixed(std::sqrt(chiSquares[1] / kPoints), 6);
    EXPECT_EQ(panels[1].r, "R : " + firstR);
    EXPECT_EQ(panels[1].deltaR, "delta R : " + firstR + "   ");

    const FitResults& r = m.fitResults;
    ASSERT_TRUE(r.standardDeviationsAvailable);
    ASSERT_EQ(r.standardDeviations.size(), 22U);
    int32_t farAtStart = 0;
    for (std::size_t j = 0; j < 22; ++j) {
        const double offset = std::fabs(s.startParameters[j] - s.trueParameters[j]);
        farAtStart += offset > kFitSigmas * r.standardDeviations[j];
    }
    ASSERT_GE(farAtStart, 4) << "the start must fail the recovery test";
    for (std::size_t j = 0; j < 22; ++j) {
        EXPECT_NEAR(r.parameters[j], s.trueParameters[j], kFitSigmas * r.standardDeviations[j])
            << m.configuration.names[j];
    }
    EXPECT_GT(r.conditionNumber, 1.0);
    EXPECT_EQ(m.engineMode, 2);
    EXPECT_EQ(statuses.front(),
              "  Running fit:   Iteration 1   -   please wait    (or press "
              "Break or Exit to stop after this iteration)");
    EXPECT_EQ(statuses.back(), "  Finished fit   -    waiting for user action");
    EXPECT_EQ(results.back(), "final");
    EXPECT_EQ(m.configuration.p, start);  // only Update Configuration takes the fitted values
    EXPECT_TRUE(m.calculationDone);
    EXPECT_FALSE(m.calculationSaved);
    EXPECT_TRUE(dialogs.records().empty());

    // While iterating only Break and Exit work; afterwards everything does, Break excepted.
    const MenuState& during = menusDuringFit.front();
    EXPECT_FALSE(during.file.enabled || during.edit.enabled || during.plot.enabled ||
                 during.startFit.enabled || during.calculateSpectrum.enabled ||
                 during.write.enabled || during.help.enabled || during.customize.enabled);
    EXPECT_TRUE(during.breakFit.enabled && during.exit.enabled);
    EXPECT_TRUE(menu.file.enabled && menu.startFit.enabled && menu.writeResults.enabled &&
                menu.writeCorrelations.enabled && menu.plotItems[4].enabled);
    EXPECT_FALSE(menu.breakFit.enabled);
    EXPECT_EQ(menu.saveAsCalculatedSpectra, (MenuEntry{true, false}));
    EXPECT_EQ(m.plot.plotType, 1);
}

// Iterations that end sooner than the display interval are not drawn; the end of the fit always
// is. Events still run after every iteration, so that Break and Exit keep working.
TEST_F(StartFit, DisplaysNoFasterThanTheIntervalButAlwaysTheEnd)
{
    hooks.minDisplayInterval = 1e9;
    int redraws = 0;
    hooks.redrawPlot = [&redraws] { ++redraws; };
    ASSERT_EQ(fit(), FitOutcome::Finished);
    EXPECT_EQ(results, (std::vector<std::string>{"final"}));
    EXPECT_EQ(redraws, 1);
    EXPECT_GE(eventRuns, static_cast<int>(panels.size()) - 1);  // after each iteration
}

TEST_F(StartFit, BreakAnsweredYesGoesOnAndNoStopsWithoutStandardDeviations)
{
    breakAfterEvents = 2;  // after the first iteration's displays
    dialogs.answerYesNo(true);
    ASSERT_EQ(fit(), FitOutcome::Finished);
    EXPECT_EQ(dialogs.texts(), Texts{"Continue fit ?"});
    EXPECT_TRUE(m.fitResults.standardDeviationsAvailable);
    EXPECT_FALSE(m.breakRequested);

    Module1 again = syntheticModule(synthetic());
    m = again;
    panels.clear();
    statuses.clear();
    results.clear();
    breakAfterEvents = 2;
    dialogs.answerYesNo(false);
    ASSERT_EQ(fit(), FitOutcome::BrokenOff);
    EXPECT_EQ(panels.size(), 2U);
    EXPECT_EQ(m.engineMode, 1);  // no error-matrix call
    EXPECT_FALSE(m.fitResults.standardDeviationsAvailable);
    EXPECT_EQ(statuses.back(), "  Waiting for user action after Break");
    EXPECT_EQ(results.back(), "final, broken off");
    EXPECT_FALSE(m.breakRequested);
    EXPECT_TRUE(menu.startFit.enabled);
}

// Exit chosen while the events of the fit run: the exit checks follow at once. Yes, or nothing
// unsaved, ends the program there; No lets the fit go on to its normal end.
enum class ExitMoment {
    Start,           // the events before the first iteration: nothing calculated yet
    AfterIteration,  // the events after the first iteration
    ErrorMatrix,     // the events before the error-matrix call, after the last iteration
};

struct ExitCase {
    const char* name;
    ExitMoment moment;
    std::optional<bool> yes;  // the answer to the question; none when nothing is unsaved
    FitOutcome outcome;
};

class ExitDuringFit : public StartFit, public testing::WithParamInterface<ExitCase> {};

TEST_P(ExitDuringFit, RunsTheExitChecksThereAndGoesOnWhenCancelled)
{
    const ExitCase& c = GetParam();
    const std::string errorMatrixStatus =
        "  Finished fit   -   calculating error matrix and standard deviations  -  please wait";
    bool chosen = false;
    auto reached = [&] {
        if (c.moment == ExitMoment::Start) {
            return eventRuns == 1;
        }
        if (c.moment == ExitMoment::AfterIteration) {
            return panels.size() == 2;
        }
        return statuses.back() == errorMatrixStatus;
    };
    hooks.exitChosen = [&] { return reached() && !std::exchange(chosen, true); };
    if (c.yes) {
        dialogs.answerYesNo(*c.yes);
    }
    ASSERT_EQ(fit(), c.outcome);
    ASSERT_TRUE(chosen);
    const Texts asked =
        c.yes ? Texts{"Calculated Spectra Not Saved - Continue Exit Anyway?"} : Texts{};
    EXPECT_EQ(dialogs.texts(), asked);
    EXPECT_EQ(dialogs.unusedAnswers(), 0U);
    const bool finished = c.outcome == FitOutcome::Finished;
    EXPECT_EQ(m.fitResults.standardDeviationsAvailable, finished);
    // Panels: the blank ones of the start, then one set per iteration.
    const bool iteratedOn = panels.size() > 2;
    EXPECT_EQ(iteratedOn, finished || c.moment == ExitMoment::ErrorMatrix);
    EXPECT_EQ(statuses.back() == "  Finished fit   -    waiting for user action", finished);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ExitDuringFit, testing::Values(
    ExitCase{"AtTheStartWithNothingUnsaved", ExitMoment::Start, {}, FitOutcome::Quit},
    ExitCase{"AfterAnIterationCancelled", ExitMoment::AfterIteration, false, FitOutcome::Finished},
    ExitCase{"AfterAnIterationConfirmed", ExitMoment::AfterIteration, true, FitOutcome::Quit},
    ExitCase{"AtTheErrorMatrixCancelled", ExitMoment::ErrorMatrix, false, FitOutcome::Finished},
    ExitCase{"AtTheErrorMatrixConfirmed", ExitMoment::ErrorMatrix, true, FitOutcome::Quit}),
    [](const testing::TestParamInfo<ExitCase>& p) { return std::string(p.param.name); });
// clang-format on

// MAXIT 0 still computes the error matrix. With RMIN = 0 only a rise of R, Break or MAXIT end
// the fit; accepted steps always lower χ².
TEST_F(StartFit, MaxitEndsTheFitWithAWarningAndStillComputesTheErrorMatrix)
{
    for (const auto& [maxit, rmin] : {std::pair{0, 1e-4}, std::pair{3, 0.0}}) {
        m = syntheticModule(synthetic());
        m.fitControls.maxit = maxit;
        m.fitControls.rmin = rmin;
        panels.clear();
        ScriptedDialogs warnings;
        ASSERT_EQ(mnuFit_Click(m, warnings, loader, menu, hooks), FitOutcome::Finished);
        EXPECT_EQ(panels.size(), static_cast<std::size_t>(maxit) + 1);  // the empty ones first
        EXPECT_EQ(warnings.texts(), Texts{"Warning - not converged after MAXIT = " +
                                          std::to_string(maxit) + " iterations"});
        EXPECT_EQ(m.engineMode, 2);
        EXPECT_TRUE(m.fitResults.standardDeviationsAvailable);
    }
}

// Two identical peaks make the curvature matrix singular in every call.
class SingularFit : public StartFit {
protected:
    SingularFit() { std::copy_n(m.configuration.p.begin(), 5, m.configuration.p.begin() + 5); }
};

// The identical peaks drift apart for a few iterations before the matrix turns singular; Yes
// goes on with the parameters unchanged, so R repeats and ΔR = 0 stops the fit, and the final
// call asks again. Its error matrix, of a singular system, may then end the program.
TEST_F(SingularFit, AnsweredYesGoesOnWithUnchangedParameters)
{
    dialogs.answerYesNo(true).answerYesNo(true).answerYesNo(true);
    const FitOutcome outcome = fit();
    ASSERT_GE(dialogs.texts().size(), 2U);
    EXPECT_EQ(dialogs.texts()[0], "Error in matrix inversion - Continue?");
    EXPECT_EQ(dialogs.texts()[1], "Error in matrix inversion - Continue?");
    EXPECT_EQ(panels.back().deltaR, "delta R : 0.000000   ");
    EXPECT_TRUE(outcome == FitOutcome::Finished || outcome == FitOutcome::Quit);
}

TEST_F(SingularFit, AnsweredNoEndsTheProgramThroughTheExitChecks)
{
    m.configSaved = false;
    dialogs.answerYesNo(false).answerYesNo(false);
    ASSERT_EQ(fit(), FitOutcome::Abandoned);
    EXPECT_EQ(dialogs.texts(), (Texts{"Error in matrix inversion - Continue?",
                                      "Config Data Not Saved - Continue Exit Anyway?"}));
    EXPECT_TRUE(menu.file.enabled && menu.saveConfiguration.enabled);
    EXPECT_FALSE(menu.breakFit.enabled);
    EXPECT_EQ(statuses.back(), "  Waiting for user input");
}

// λ so large that the step vanishes: the one trial allowed cannot lower χ².
TEST_F(StartFit, LambdaFailureAnsweredYesIsEvaluatedAndNoEndsTheProgram)
{
    m.fitControls.lambda = 1e31;
    m.fitControls.maxLambdaIterations = 1;
    dialogs.answerYesNo(true).answerYesNo(true);
    ASSERT_EQ(fit(), FitOutcome::Finished);
    EXPECT_EQ(dialogs.texts(), Texts(2, std::string("Convergence failure in Lambda - Continue?")));

    m = syntheticModule(synthetic());
    m.fitControls.lambda = 1e31;
    m.fitControls.maxLambdaIterations = 1;
    dialogs.answerYesNo(false);
    EXPECT_EQ(fit(), FitOutcome::Quit);  // nothing unsaved: the exit checks ask nothing
}

TEST_F(StartFit, MissingEngineAndRefusedConfiguration)
{
    TempFolder folder;
    loader = loaderWithout(folder);
    m.fitParametersSaved = false;
    dialogs.answerYesNo(false);
    EXPECT_EQ(fit(), FitOutcome::Abandoned);
    EXPECT_EQ(dialogs.texts(), (Texts{"Fortran dll ZORVANT.DLL not found - ABORT",
                                      "Fit Parameter Data Not Saved - Continue Exit Anyway?"}));
    EXPECT_TRUE(menu.file.enabled && menu.saveFitParameters.enabled);
    EXPECT_FALSE(m.calculationDone);

    m.configuration.p[2] = 0.0;
    const Module1 refused = m;
    statuses.clear();
    EXPECT_EQ(fit(), FitOutcome::Refused);
    EXPECT_EQ(dialogs.texts().back(),
              "LFWHM1 is negative or zero  - need to edit configuration data");
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(m, refused);
}

}  // namespace
}  // namespace varnix::app
