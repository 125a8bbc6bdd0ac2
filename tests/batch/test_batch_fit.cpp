// The batch fitter through the real engine and file routines: a series of synthetic spectra
// from known parameters, the desktop program's own fit of the same files, chained starts, the
// answers to the program's questions and the spectra that cannot be fitted.
#include "batch_fixture.h"
#include "batch_output.h"

#include "core/files/config_commands.h"
#include "core/files/data_commands.h"
#include "core/fit/batch_fit.h"
#include "core/fit/fit_driver.h"
#include "core/session/menu_state.h"
#include "core/session/scripted_dialogs.h"
#include "core/uncertainty/uncertainty.h"
#include "reference_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <regex>

namespace varnix::batch::test {
namespace {

using app::SpectrumResult;
using app::SpectrumStatus;

// A fitted parameter lies within 3σ of the value the counts were drawn from; the engine's model
// differs from the reference model the counts come from by 0.002σ at most.
constexpr double kFitSigmas = 3.0;

app::BatchSetup setupFor(const SpectrumFolder& folder, const std::string& configuration)
{
    app::BatchSetup setup;
    setup.configurationFile = configuration;
    setup.startDirectory = folder.path().string();
    return setup;
}

std::vector<double> startValues()
{
    return synthetic(1).startParameters;
}

// The setup of the example's four peaks from a start far from every seed's truth.
app::BatchSetup startSetup(const SpectrumFolder& folder)
{
    return setupFor(folder, folder.writeConfiguration("c.cfg", startValues()));
}

TEST(BatchSeries, EveryFitFindsTheGeneratingParameters)
{
    SpectrumFolder folder;
    const std::vector<uint64_t> seeds = {11, 12, 13, 14};
    std::vector<std::string> names;
    for (const uint64_t seed : seeds) {
        const reference::SyntheticSpectrum& s = synthetic(seed);
        ASSERT_GT(
            reference::weightedChiSquare(
                s.counts, s.sigmas, reference::spectrumModel(s.energies, s.startParameters, 4, 2)),
            100.0 * reference::weightedChiSquare(s.counts, s.sigmas, s.model))
            << "the start must be far from the truth";
        names.push_back(folder.writeSpectrum("s" + std::to_string(seed) + ".dat", s));
    }
    app::LibraryLoader loader;
    app::BatchFitter fitter(startSetup(folder), loader);
    for (std::size_t n = 0; n < names.size(); ++n) {
        const SpectrumResult r = fitter.fit(names[n]);
        ASSERT_EQ(r.status, SpectrumStatus::Fitted) << names[n];
        const std::vector<double>& truth = synthetic(seeds[n]).trueParameters;
        ASSERT_EQ(r.parameters.size(), truth.size());
        for (std::size_t k = 0; k < truth.size(); ++k) {
            const app::ParameterResult& p = r.parameters[k];
            ASSERT_TRUE(p.sigma.has_value()) << p.name;
            EXPECT_LE(std::abs(p.value - truth[k]), kFitSigmas * *p.sigma)
                << names[n] << " " << p.name << " = " << p.value << " ± " << *p.sigma;
        }
        EXPECT_GT(r.iterations, 1);
        EXPECT_NEAR(r.r, std::sqrt(r.chiSquare / kPoints), 1e-12 * r.r);
    }
}

// The desktop program's session on the same file: Open > Configuration, Open > Data (answering
// the photon energy as the user would), Start Fit.
struct DesktopFit {
    app::Module1 module;
    app::FitOutcome outcome;
};

DesktopFit desktopFit(const SpectrumFolder& folder, const std::string& configuration,
                      const std::string& data, bool typePhotonEnergy, bool uncertainties)
{
    DesktopFit desktop{app::Module1{}, app::FitOutcome::Refused};
    app::Module1& m = desktop.module;
    m.startDirectory = folder.path().string();
    app::ScriptedDialogs dialogs;
    if (typePhotonEnergy) {
        dialogs.answerInput(exact(kPhotonEnergy));
    }
    app::LibraryLoader loader;
    app::MenuState menu;
    app::Enable(m, menu);
    EXPECT_TRUE(app::OpenConfiguration(m, dialogs, loader, menu, configuration));
    EXPECT_TRUE(app::OpenData(m, dialogs, loader, menu, data));
    app::FitHooks hooks;
    hooks.peakUncertainties = uncertainties;  // as the main window asks for them
    desktop.outcome = app::mnuFit_Click(m, dialogs, loader, menu, hooks);
    return desktop;
}

// The numbers of one member of every object of a JSON array, in order, read back by strtod.
std::vector<double> jsonValues(const std::string& line, const std::string& member)
{
    std::vector<double> values;
    const std::regex number("\"" + member + "\":(-?[0-9][0-9.eE+-]*)");
    for (auto it = std::sregex_iterator(line.begin(), line.end(), number);
         it != std::sregex_iterator(); ++it) {
        values.push_back(std::strtod((*it)[1].str().c_str(), nullptr));
    }
    return values;
}

void expectSameBits(const std::vector<double>& a, const std::vector<double>& b,
                    const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(std::bit_cast<uint64_t>(a[i]), std::bit_cast<uint64_t>(b[i]))
            << what << " " << i << ": " << a[i] << " vs " << b[i];
    }
}

struct DesktopCase {
    const char* name;
    Scale scale;
    bool uncertainties;  // the peaks' figures with their σ, asked for on one scale only
};

class SameAsDesktop : public testing::TestWithParam<DesktopCase> {};

TEST_P(SameAsDesktop, TheLineHoldsTheDesktopFitToTheLastDigit)
{
    SpectrumFolder folder;
    const Scale scale = GetParam().scale;
    const std::string data = folder.writeSpectrum("s.dat", synthetic(21), scale);
    const std::string configuration = folder.writeConfiguration("c.cfg", startValues());
    const bool uncertainties = GetParam().uncertainties;
    const DesktopFit desktop = desktopFit(folder, configuration, data,
                                          scale == Scale::BindingWithoutPhoton, uncertainties);
    ASSERT_EQ(desktop.outcome, app::FitOutcome::Finished);

    app::BatchSetup setup = setupFor(folder, configuration);
    setup.rules.photonEnergy = exact(kPhotonEnergy);
    setup.uncertainties = uncertainties;
    app::LibraryLoader loader;
    app::BatchFitter fitter(setup, loader);
    const std::string line = jsonLine(fitter.fit(data));

    const app::FitResults& f = desktop.module.fitResults;
    std::vector<double> shown = f.parameters;  // positions as the results window shows them
    for (std::size_t k = 0; scale != Scale::Kinetic && k < 20; k += 5) {
        shown[k] = kPhotonEnergy - f.parameters[k];
    }
    expectSameBits(jsonValues(line, "value"), shown, "value");
    expectSameBits(jsonValues(line, "sigma"), f.standardDeviations, "sigma");
    expectSameBits(jsonValues(line, "area"), f.areas, "area");
    expectSameBits(jsonValues(line, "width"), f.widths, "width");
    expectSameBits(jsonValues(line, "chi2"), {f.chiSquare}, "chi2");
    expectSameBits(jsonValues(line, "condition"), {f.conditionNumber}, "condition");
    expectSameBits(jsonValues(line, "nfree"), {static_cast<double>(f.nfree)}, "nfree");
    const app::Diagnosis diagnosis = app::diagnoseFit(desktop.module);
    expectSameBits(jsonValues(line, "correlation_condition"), {diagnosis.conditionNumber},
                   "correlation_condition");
    if (!uncertainties) {
        EXPECT_TRUE(jsonValues(line, "area_sigma").empty());
        return;
    }
    ASSERT_EQ(f.uncertainties.peaks.size(), 4U);
    std::map<std::string, std::vector<double>> figures;
    for (const app::PeakUncertainty& p : f.uncertainties.peaks) {
        const double energy =
            scale == Scale::Kinetic ? p.maximumEnergy.value : kPhotonEnergy - p.maximumEnergy.value;
        for (const auto& [name, value] : std::initializer_list<std::pair<std::string, double>>{
                 {"area_sigma", p.area.sigma},
                 {"share", p.share.value},
                 {"share_sigma", p.share.sigma},
                 {"width_sigma", p.widthAtHalfHeight.sigma},
                 {"maximum", p.maximum.value},
                 {"maximum_sigma", p.maximum.sigma},
                 {"maximum_energy", energy},
                 {"maximum_energy_sigma", p.maximumEnergy.sigma},
                 {"width_at_maximum", p.widthAtHalfMaximum.value},
                 {"width_at_maximum_sigma", p.widthAtHalfMaximum.sigma}}) {
            figures[name].push_back(value);
        }
    }
    for (const auto& [name, values] : figures) {
        expectSameBits(jsonValues(line, name), values, name);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, SameAsDesktop,
                         testing::Values(DesktopCase{"Kinetic", Scale::Kinetic, false},
                                         DesktopCase{"Binding", Scale::Binding, true},
                                         DesktopCase{"BindingPhotonEnergyTyped",
                                                     Scale::BindingWithoutPhoton, false}),
                         [](const auto& p) { return std::string(p.param.name); });

// Seeds 1 and 2 at 601 points: chained from the first, the second fit ends at an Alpha4 below 0,
// which InitPar refuses; the third must start from the first one's values, not be refused.
TEST(BatchChain, EachFitStartsFromThePreviousValuesInitParAccepts)
{
    SpectrumFolder folder;
    const std::vector<std::string> names = {folder.writeSpectrum("a.dat", synthetic(1, 601)),
                                            folder.writeSpectrum("b.dat", synthetic(2, 601)),
                                            folder.writeSpectrum("c.dat", synthetic(3, 601))};
    app::LibraryLoader loader;
    app::BatchSetup setup = startSetup(folder);
    setup.chain = true;
    app::BatchFitter chained(setup, loader);
    std::vector<SpectrumResult> results;
    for (const std::string& name : names) {
        results.push_back(chained.fit(name));
    }
    ASSERT_EQ(results[1].parameters.size(), 22U);
    ASSERT_LT(results[1].parameters[18].value, 0.0) << "Alpha4 of the second fit";
    EXPECT_EQ(results[1].status, SpectrumStatus::Fitted);
    EXPECT_EQ(results[1].messages,
              std::vector<std::string>{"chain: fitted values not passed on: Alpha4 is negative "
                                       "or zero  - need to edit configuration data"});

    std::vector<double> first;
    for (const app::ParameterResult& p : results[0].parameters) {
        first.push_back(p.value);
    }
    app::BatchFitter fromFirst(setupFor(folder, folder.writeConfiguration("a.cfg", first)), loader);
    EXPECT_EQ(fromFirst.fit(names[1]).parameters, results[1].parameters);
    EXPECT_EQ(jsonLine(fromFirst.fit(names[2])), jsonLine(results[2]));
    app::BatchFitter fromStart(setupFor(folder, folder.file("c.cfg")), loader);
    EXPECT_NE(fromStart.fit(names[1]).parameters, results[1].parameters)
        << "the chain must change the start";
}

TEST(BatchSeries, ABadSpectrumFailsAloneAndTheRestAreFitted)
{
    SpectrumFolder folder;
    const std::vector<std::string> names = {folder.writeSpectrum("a.dat", synthetic(41)),
                                            folder.file("missing.dat"),
                                            folder.writeText("garbage.dat", "not a spectrum\n"),
                                            folder.writeSpectrum("b.dat", synthetic(42))};
    app::LibraryLoader loader;
    app::BatchFitter fitter(startSetup(folder), loader);
    std::vector<SpectrumResult> results;
    for (const std::string& name : names) {
        results.push_back(fitter.fit(name));
    }
    const std::vector<SpectrumStatus> statuses = {
        SpectrumStatus::Fitted, SpectrumStatus::ReadFailed, SpectrumStatus::ReadFailed,
        SpectrumStatus::Fitted};
    const std::vector<std::vector<std::string>> messages = {
        {},
        {names[1] + "   does not exist  -  open files individually"},
        {"Error in reading file header - abort data read"},
        {}};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(results[i].status, statuses[i]) << names[i];
        EXPECT_EQ(results[i].messages, messages[i]) << names[i];
        EXPECT_EQ(results[i].file, names[i]);
    }
    EXPECT_EQ(results[3].parameters.size(), 22U);
}

// Each rule for a question of the read or the fit, and each setup a fit can meet, with what the
// spectrum's line then records.
struct SetupCase {
    const char* name;
    Scale scale;
    const char* extraLines;
    std::function<void(app::BatchSetup&, const SpectrumFolder&)> change;
    SpectrumStatus status;
    std::vector<app::BatchAnswer> answers;
    std::vector<std::string> messages;  // "<file>" stands for the spectrum's name
    friend void PrintTo(const SetupCase& c, std::ostream* out) { *out << c.name; }
};

class BatchSetupCase : public testing::TestWithParam<SetupCase> {};

TEST_P(BatchSetupCase, AnswersAndRecords)
{
    const SetupCase& c = GetParam();
    SpectrumFolder folder;
    const std::string data = folder.writeSpectrum("s.dat", synthetic(51), c.scale, c.extraLines);
    app::BatchSetup setup = startSetup(folder);
    c.change(setup, folder);
    app::LibraryLoader loader;
    const SpectrumResult r = app::BatchFitter(setup, loader).fit(data);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.answers, c.answers);
    std::vector<std::string> messages;
    for (std::string m : c.messages) {
        if (const std::size_t at = m.find("<file>"); at != std::string::npos) {
            m.replace(at, 6, data);
        }
        messages.push_back(m);
    }
    EXPECT_EQ(r.messages, messages);
    // A spectrum read and fitted keeps its values even when its calculated spectra are lost.
    const bool fitted =
        c.status == SpectrumStatus::Fitted || c.status == SpectrumStatus::WriteFailed;
    EXPECT_EQ(r.parameters.size(), fitted ? 22U : 0U);
}

const char* const kZeroQuestion =
    "Warning - last energy is zero - probable error at end of data file - Continue ?";
const app::BatchAnswer kPhotonTyped{"Enter photon energy", "1486.6"};
const app::BatchAnswer kPhotonCancelled{"Enter photon energy", "Cancel"};

using Change = std::function<void(app::BatchSetup&, const SpectrumFolder&)>;
const Change kUnchanged = [](app::BatchSetup&, const SpectrumFolder&) {};

// MAXIT 2 with the program's other default controls.
const Change kTwoIterations = [](app::BatchSetup& s, const SpectrumFolder& f) {
    s.controlsFile = f.writeText("controls.dat",
                                 "maxit 2\nrmin 1e-04\nlambda 0.01\nlambda_fac 10\n"
                                 "max_lambda_iterations 21\nsimpson_eps 1e-04\n"
                                 "max_simpson_iterations 21\nintegration_range 3\n");
};

const Change kZeroLfwhm2 = [](app::BatchSetup& s, const SpectrumFolder& f) {
    std::vector<double> values = startValues();
    values[7] = 0.0;
    s.configurationFile = f.writeConfiguration("zero.cfg", values);
};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Questions, BatchSetupCase, testing::Values(
    SetupCase{"PhotonEnergyGiven", Scale::BindingWithoutPhoton, "",
              [](app::BatchSetup& s, auto&) { s.rules.photonEnergy = "1486.6"; },
              SpectrumStatus::Fitted, {kPhotonTyped}, {}},
    SetupCase{"PhotonEnergyMissing", Scale::BindingWithoutPhoton, "", kUnchanged,
              SpectrumStatus::ReadFailed, {kPhotonCancelled},
              {"<file> - contains binding energy data - photon energy must be given"}},
    SetupCase{"ZeroLastEnergyDropped", Scale::Kinetic, "0\t0\n", kUnchanged,
              SpectrumStatus::Fitted, {{kZeroQuestion, "OK"}}, {}},
    SetupCase{"ZeroLastEnergyFails", Scale::Kinetic, "0\t0\n",
              [](app::BatchSetup& s, auto&) { s.rules.dropZeroLastPoint = false; },
              SpectrumStatus::ReadFailed, {{kZeroQuestion, "Cancel"}}, {}},
    SetupCase{"StoppingAtMaxitIsFittedWithItsWarning", Scale::Kinetic, "", kTwoIterations,
              SpectrumStatus::Fitted, {}, {"Warning - not converged after MAXIT = 2 iterations"}},
    SetupCase{"RefusedConfigurationGivesItsReason", Scale::Kinetic, "", kZeroLfwhm2,
              SpectrumStatus::Refused, {},
              {"LFWHM2 is negative or zero  - need to edit configuration data"}},
    SetupCase{"CalculatedSpectraThatCannotBeWritten", Scale::Kinetic, "",
              [](app::BatchSetup& s, const auto& f) { s.calculationFolder = f.file("none/x"); },
              SpectrumStatus::WriteFailed, {},
              {"Error in writing calculated spectra - or dll not found"}}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST(BatchFit, WritesTheCalculatedSpectraWhereAsked)
{
    SpectrumFolder folder;
    std::filesystem::create_directory(folder.file("calc"));
    app::BatchSetup setup = startSetup(folder);
    setup.calculationFolder = folder.file("calc");
    app::LibraryLoader loader;
    EXPECT_EQ(
        app::BatchFitter(setup, loader).fit(folder.writeSpectrum("s.dat", synthetic(61))).status,
        SpectrumStatus::Fitted);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.file("calc/s.cex")));
}

TEST(BatchFit, AnUnreadableConfigurationStopsBeforeAnySpectrum)
{
    SpectrumFolder folder;
    app::LibraryLoader loader;
    const std::string bad = folder.writeText("bad.cfg", "Varnix configuration 1\nNDS x\n");
    EXPECT_THROW(app::BatchFitter(setupFor(folder, bad), loader), app::BatchSetupError);
}

}  // namespace
}  // namespace varnix::batch::test
