#include "core/fit/batch_fit.h"

#include "core/display/results_table.h"
#include "core/files/config_commands.h"
#include "core/files/data_commands.h"
#include "core/files/data_regions.h"
#include "core/files/output_commands.h"
#include "core/fit/fit_driver.h"
#include "core/fit/init_par.h"
#include "core/session/menu_state.h"
#include "core/uncertainty/uncertainty.h"
#include "core/uncertainty/uncertainty_table.h"

#include "varnix_io.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <utility>

namespace varnix::app {

namespace {

constexpr std::string_view kMaxitWarning = "Warning - not converged after MAXIT = ";

std::string joined(const std::vector<std::string>& messages)
{
    std::string text;
    for (const std::string& message : messages) {
        text.append(text.empty() ? "" : "; ").append(message);
    }
    return text;
}

FitControls readControls(LibraryLoader& loader, const std::string& file)
{
    FitControls f;
    int32_t status = -1;
    try {
        const auto jundra = loader.routine<JundraFunction>("jundra");
        jundra(&f.maxit, &f.rmin, &f.lambda, &f.lambdaFac, &f.maxLambdaIterations, &f.simpsonEps,
               &f.maxSimpsonIterations, &f.integrationRange, file.c_str(),
               static_cast<int32_t>(file.size()), &status);
    } catch (const LibraryMissing&) {
        throw BatchSetupError(file + ": Fortran dll JUNDRA.DLL not found");
    }
    if (status == 1) {
        throw BatchSetupError(file + ": fit controls not found or unreadable");
    }
    if (status != 0) {
        throw BatchSetupError(file + ": Data error in FitFile");
    }
    return f;
}

// R and ΔR of each iteration as the driver computes them, taken when it shows them.
struct IterationTrack {
    int32_t iterations = 0;
    double r = 0.0;
    double deltaR = 0.0;
};

StopReason stopReason(const IterationTrack& track, const FitControls& controls,
                      const std::vector<std::string>& messages)
{
    for (const std::string& message : messages) {
        if (message.starts_with(kMaxitWarning)) {
            return StopReason::Maxit;
        }
    }
    if (track.iterations == 0) {
        return StopReason::None;
    }
    if (track.r < controls.rmin) {
        return StopReason::RBelowRmin;
    }
    return track.deltaR < 0.0 ? StopReason::RIncreased : StopReason::DeltaBelowRmin;
}

// The values, link states and standard deviations as the results window pairs them.
std::vector<ParameterResult> parameterResults(const Module1& module)
{
    const FitResults& fit = module.fitResults;
    const Spectrum& spectrum = module.spectrum;
    const auto peakParameters =
        static_cast<std::size_t>(kParametersPerPeak * module.configuration.nds);
    const std::vector<std::optional<double>> deviations = parameterDeviations(module);
    std::vector<ParameterResult> results;
    for (std::size_t k = 0; k < fit.parameters.size(); ++k) {
        ParameterResult p;
        p.name = parameterName(module.configuration.nds, static_cast<int32_t>(k));
        const bool position = k < peakParameters && k % kParametersPerPeak == 0;
        p.value =
            position && spectrum.binding ? spectrum.hmu - fit.parameters[k] : fit.parameters[k];
        p.link = k < module.engine.varied.size() ? module.engine.varied[k] : kLinkVaried;
        p.sigma = deviations[k];
        results.push_back(std::move(p));
    }
    return results;
}

std::vector<PeakResult> peakResults(const Module1& module)
{
    const FitResults& fit = module.fitResults;
    const bool figures = hasUncertainties(module);
    std::vector<PeakResult> peaks;
    for (std::size_t i = 0; i < fit.areas.size() && i < fit.widths.size(); ++i) {
        PeakResult peak{fit.areas[i], fit.widths[i], {}};
        if (figures) {
            peak.figures = fit.uncertainties.peaks[i];
            if (module.spectrum.binding) {
                peak.figures.maximumEnergy.value =
                    module.spectrum.hmu - peak.figures.maximumEnergy.value;
            }
        }
        peaks.push_back(peak);
    }
    return peaks;
}

SpectrumStatus statusOf(FitOutcome outcome)
{
    switch (outcome) {
        case FitOutcome::Finished:
            return SpectrumStatus::Fitted;
        case FitOutcome::Refused:
            return SpectrumStatus::Refused;
        default:
            return SpectrumStatus::FitFailed;
    }
}

}  // namespace

BatchFitter::BatchFitter(BatchSetup setup, LibraryLoader& loader)
    : m_setup(std::move(setup)), m_loader(loader), m_dialogs(m_setup.rules)
{
    if (m_setup.controlsFile) {
        Module1 named;
        named.startDirectory = m_setup.startDirectory;
        m_controls = readControls(m_loader, resolvedName(named, *m_setup.controlsFile));
    }
    Module1 scratch;
    scratch.startDirectory = m_setup.startDirectory;
    MenuState menu;
    if (LoadConfiguration(scratch, m_dialogs, m_loader, menu, m_setup.configurationFile) !=
        kReadDone) {
        throw BatchSetupError(m_setup.configurationFile + ": " + joined(m_dialogs.messages()));
    }
    m_start = scratch.configuration;
    m_dialogs.clear();
}

SpectrumResult BatchFitter::fit(const std::string& name)
{
    m_dialogs.clear();
    Module1 module;
    module.startDirectory = m_setup.startDirectory;
    module.fitControls = m_controls;
    module.configuration = m_start;
    module.configLoaded = true;
    module.fitParametersLoaded = true;
    SpectrumResult result;
    result.name = name;
    const io::RegionName split = splitDataName(module, name);
    result.file = split.file;
    if (split.region) {
        result.region = static_cast<int64_t>(*split.region);
    }
    MenuState menu;
    Enable(module, menu);
    try {
        if (OpenData(module, m_dialogs, m_loader, menu, name)) {
            fitRead(module, result);
        }
    } catch (const std::exception& error) {
        m_dialogs.message(error.what());
        result.status = SpectrumStatus::FitFailed;
    }
    result.messages = m_dialogs.messages();
    result.answers = m_dialogs.answers();
    return result;
}

void BatchFitter::fitRead(Module1& module, SpectrumResult& result)
{
    result.binding = module.spectrum.binding;
    if (module.spectrum.photonEnergyKnown) {
        result.photonEnergy = module.spectrum.hmu;
    }
    IterationTrack track;
    FitHooks hooks;
    hooks.peakUncertainties = m_setup.uncertainties;
    // The panels are shown once before the first iteration, then after each.
    hooks.showPanels = [&module, &track](const IterationPanels&) {
        if (!module.calculationDone) {
            return;
        }
        const double r = std::sqrt(module.fitResults.chiSquare / module.spectrum.np);
        track.deltaR = track.iterations == 0 ? r : track.r - r;
        track.r = r;
        ++track.iterations;
    };
    MenuState menu;
    Enable(module, menu);
    result.status = statusOf(mnuFit_Click(module, m_dialogs, m_loader, menu, hooks));
    if (result.status != SpectrumStatus::Fitted) {
        return;
    }
    const FitResults& fit = module.fitResults;
    result.iterations = track.iterations;
    result.stop = stopReason(track, module.fitControls, m_dialogs.messages());
    result.chiSquare = fit.chiSquare;
    result.r = std::sqrt(fit.chiSquare / module.spectrum.np);
    result.conditionNumber = fit.conditionNumber;
    result.np = module.spectrum.np;
    result.nfree = fit.nfree;
    result.diagnosis = m_setup.uncertainties ? fit.uncertainties.diagnosis : diagnoseFit(module);
    result.parameters = parameterResults(module);
    result.peaks = peakResults(module);
    if (m_setup.calculationFolder) {
        const std::filesystem::path target =
            std::filesystem::path(*m_setup.calculationFolder) / (dataBaseName(module) + ".cex");
        if (!SaveCalc(module, m_dialogs, m_loader, target.string(), kCalculatedSpectraAndData)) {
            result.status = SpectrumStatus::WriteFailed;
        }
    }
    if (m_setup.chain) {
        passOn(module, menu);
    }
}

// A fit may end at values InitPar refuses (an Alpha slightly below 0): started from them, every
// later spectrum of the chain would be refused. Those values are not passed on, and the
// spectrum's line says why; the next fit starts where this one did.
void BatchFitter::passOn(Module1& module, MenuState& menu)
{
    if (!UpdateConfiguration(module, menu)) {
        return;
    }
    BatchDialogs check(m_setup.rules);
    if (InitPar(module, check) == kInitParReady) {
        m_start = module.configuration;
        return;
    }
    for (const std::string& reason : check.messages()) {
        m_dialogs.message(std::string(kNotPassedOn).append(reason));
    }
}

}  // namespace varnix::app
