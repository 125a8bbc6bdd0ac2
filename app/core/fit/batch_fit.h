// The batch fitter's work on one spectrum after another, through the commands the desktop
// program runs: OpenData (TESSOR, KAPRIL and every question of the read), mnuFit_Click (InitPar,
// the engine's iterations with their stopping rules and MAXIT warning, the error matrix) and, on
// request, SaveCalc for the .cex. The questions are answered by BatchDialogs; what would end the
// desktop program ends the fit of that spectrum alone.
//
// Each spectrum gets a fresh Module1 holding the configuration read once at the start (or, when
// chained, the previous spectrum's fitted values) and the fit controls, then its data, exactly
// as a user who opened the configuration and then the spectrum would have them.
#pragma once

#include "core/fit/batch_answers.h"
#include "core/session/library_loader.h"
#include "core/session/menu_state.h"
#include "core/session/module1.h"
#include "core/uncertainty/peak_uncertainty.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

// Begins the message of a chained fit whose values are not passed on to the next spectrum; the
// reason InitPar gives follows.
inline constexpr std::string_view kNotPassedOn = "chain: fitted values not passed on: ";

struct BatchSetup {
    std::string configurationFile;
    std::optional<std::string> controlsFile;  // the "FitFile.dat" layout; none: the defaults
    BatchRules rules;
    // Each fit starts from the previous fitted values that InitPar accepts.
    bool chain = false;
    std::optional<std::string> calculationFolder;  // where each spectrum's .cex goes
    // Each fit also gives its peaks' figures with their σ, as the results window shows them;
    // they cost about eleven engine calls more per spectrum.
    bool uncertainties = false;
    std::string startDirectory;                    // relative names are taken here
};

// The configuration or the fit controls cannot be read: nothing can be fitted. The text names
// the file and gives the program's message.
class BatchSetupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SpectrumStatus {
    Fitted,       // converged or stopped at MAXIT; the MAXIT warning is then in the messages
    ReadFailed,   // the spectrum could not be read, or a question of the read was declined
    Refused,      // InitPar refused the configuration
    FitFailed,    // what would have ended the desktop program
    WriteFailed,  // fitted, but its .cex could not be written
};

// Why the iterations ended, by the driver's rules in the order it tests them.
enum class StopReason {
    None,            // no iteration ran to its end
    RBelowRmin,      // R < RMIN
    RIncreased,      // ΔR < 0
    DeltaBelowRmin,  // ΔR < RMIN
    Maxit,           // MAXIT iterations without one of the above
};

struct ParameterResult {
    std::string name;
    double value = 0.0;  // as the results window shows it: positions of binding data as HMU − Pos
    int32_t link = 0;    // kLinkVaried, kLinkCorrelated or kLinkFixed
    std::optional<double> sigma;  // varied parameters of a fit that left its error matrix

    bool operator==(const ParameterResult&) const = default;
};

struct PeakResult {
    double area = 0.0;
    double width = 0.0;  // FWHM
    // With BatchSetup::uncertainties, the figures with their σ, the energy of the maximum as
    // the positions are given; NaN otherwise.
    PeakUncertainty figures;

    bool operator==(const PeakResult&) const = default;
};

struct SpectrumResult {
    std::string name;  // as given, "<file>#<n>" for a region
    std::string file;
    std::optional<int64_t> region;
    SpectrumStatus status = SpectrumStatus::ReadFailed;
    std::vector<std::string> messages;  // every message shown, in order
    std::vector<BatchAnswer> answers;   // every question answered, in order
    bool binding = false;
    std::optional<double> photonEnergy;  // when the spectrum knows one
    // The fit's outcome, for Fitted and WriteFailed.
    int32_t iterations = 0;
    StopReason stop = StopReason::None;
    double chiSquare = 0.0;
    double r = 0.0;  // √(χ²/NP)
    double conditionNumber = 0.0;
    int32_t np = 0;
    int32_t nfree = 0;
    Diagnosis diagnosis;  // from the error matrix, with or without BatchSetup::uncertainties
    std::vector<ParameterResult> parameters;
    std::vector<PeakResult> peaks;

    bool operator==(const SpectrumResult&) const = default;
};

class BatchFitter {
public:
    // Reads the configuration (FENTAR) and the fit controls (JUNDRA). Throws BatchSetupError.
    BatchFitter(BatchSetup setup, LibraryLoader& loader);

    // Reads and fits one spectrum; never throws for what a spectrum holds.
    SpectrumResult fit(const std::string& name);

    const Configuration& configuration() const { return m_start; }
    const FitControls& controls() const { return m_controls; }

private:
    void fitRead(Module1& module, SpectrumResult& result);
    void passOn(Module1& module, MenuState& menu);

    BatchSetup m_setup;
    LibraryLoader& m_loader;
    BatchDialogs m_dialogs;
    Configuration m_start;
    FitControls m_controls;
};

}  // namespace varnix::app
