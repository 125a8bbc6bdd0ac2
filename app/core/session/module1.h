// The application-wide records: one Spectrum, one Configuration with its parameter links, the
// FitControls, the FitResults, the flags that say what is loaded, changed or open, and the
// settings. The main window owns one Module1 and hands every window a reference; there are no
// globals, so a test simply makes a fresh one.
//
// Conventions, fixed here for every user of the records:
// - Arrays are 0-based std::vectors. Parameter j of peak i (both 0-based) is p[5·i + j] with
//   j = 0 Pos, 1 Height, 2 LFWHM, 3 Alpha, 4 GFWHM; the background coefficients follow at
//   5·NDS … NPAR − 1. The 1-based convention of the files and the engine lives only where
//   those are called.
// - The application's yes/no flags are bool. The 16-bit 0/1 integers they once were only
//   matter at a library call, where the caller converts.
// - Counts, indices and codes are int32_t, as the libraries exchange them.
#pragma once

#include "core/uncertainty/peak_uncertainty.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::app {

inline constexpr int32_t kParametersPerPeak = 5;
inline constexpr int32_t kMaxBackgroundCoefficients = 3;  // a0, a1, a2
inline constexpr int32_t kHeaderWidth = 100;               // characters per header line

// Parameter-kind names in parameter order; the sixth names the background coefficients.
inline constexpr std::array<std::string_view, 6> kParameterKindNames = {
    "Pos", "Height", "LFWHM", "Alpha", "GFWHM", "a"};

// Each peak's parameters in that order: slot s of peak k is parameter 5·k + s.
enum PeakSlot : int32_t { kPosSlot = 0, kHeightSlot, kLfwhmSlot, kAlphaSlot, kGfwhmSlot };

struct Spectrum {
    int32_t np = 0;
    std::vector<double> energy;      // eV, held as kinetic energies
    std::vector<double> counts;
    std::vector<double> sigma;       // √counts + 1, computed when the file is read
    std::vector<double> calculated;  // model spectrum of the last calculation or fit
    int32_t nh = 0;
    int32_t headerWidth = 1;             // kHeaderWidth, or 1 for a file without header
    std::vector<int32_t> headerCodes;    // max(nh, 1) × headerWidth, column-major, 0 = none
    std::vector<std::string> headerLines;
    bool binding = false;            // the file holds binding energies
    bool photonEnergyKnown = false;  // energy has been turned into HMU − E
    double hmu = 0.0;                // photon energy, eV
    std::string fileName;

    bool operator==(const Spectrum&) const = default;
};

// Link states and kinds, with the values the files and the engine use.
inline constexpr int32_t kLinkVaried = 0;
inline constexpr int32_t kLinkCorrelated = 1;  // follows a varied partner
inline constexpr int32_t kLinkFixed = 2;
inline constexpr int32_t kLinkKindNone = 0;
inline constexpr int32_t kLinkKindMultiplied = 1;  // "Multiplied by"
inline constexpr int32_t kLinkKindPlus = 2;        // "Plus"

struct ParameterLink {
    int32_t state = kLinkVaried;
    int32_t partner = 0;  // 0-based parameter index; the parameter's own when not correlated
    double value = 0.0;   // the factor or the offset
    int32_t kind = kLinkKindNone;

    bool operator==(const ParameterLink&) const = default;
};

struct Configuration {
    int32_t nds = 0;    // Doniach–Sunjic peaks
    int32_t nbg = 0;    // background coefficients, 0 … 3
    int32_t npar = 0;   // 5·nds + nbg
    int32_t ncomp = 0;  // nds, plus one for a background
    std::vector<double> p;  // 5·nds peak parameters
    std::array<double, kMaxBackgroundCoefficients> a{};
    std::vector<std::string> names;  // npar
    // npar entries. Those from 5·nds on belong to the background coefficients, which carry no
    // link: they stay varied, their own partner, of no kind.
    std::vector<ParameterLink> links;
    double hmuConfig = 0.0;
    std::string fileName;

    bool operator==(const Configuration&) const = default;
};

struct FitControls {
    int32_t maxit = 51;
    double rmin = 1e-4;
    double lambda = 0.01;
    double lambdaFac = 10.0;
    int32_t maxLambdaIterations = 21;
    double simpsonEps = 1e-4;
    int32_t maxSimpsonIterations = 21;
    double integrationRange = 3.0;

    bool operator==(const FitControls&) const = default;
};

// The engine's flat parameter arrays, as InitPar prepares them from the configuration before
// every calculation or fit: npar entries each, 0-based; partners are 0-based parameter indices
// (the engine call turns them into its 1-based ones).
struct EngineParameters {
    std::vector<double> p;
    std::vector<int32_t> varied;  // the link state: varied, correlated or fixed
    std::vector<int32_t> partner;
    std::vector<double> factor;
    std::vector<int32_t> linkKind;
    int32_t nfree = 0;

    bool operator==(const EngineParameters&) const = default;
};

struct FitResults {
    std::vector<double> parameters;  // npar fitted values
    std::vector<double> components;  // np × ncomp, column-major: component c at point i is [i + np·c]
    double chiSquare = 0.0;
    int32_t nfree = 0;
    std::vector<double> errorMatrix;  // nfree × nfree, column-major, free parameters in order
    std::vector<double> standardDeviations;  // nfree
    // nfree × nfree, column-major; empty cells for parameters without a standard deviation.
    std::vector<std::optional<double>> correlations;
    std::vector<double> areas;   // per peak
    std::vector<double> widths;  // FWHM per peak
    double conditionNumber = 0.0;
    bool standardDeviationsAvailable = false;
    // Of a finished fit whose driver was asked for them; no peaks otherwise. The results window
    // and Write › Results both show these, so that they agree.
    Uncertainties uncertainties;

    bool operator==(const FitResults&) const = default;
};

// 24-bit RGB values, in the slot order of the settings file.
struct Colours {
    int32_t text = 0x000000;
    int32_t windowBack = 0xC0C0C0;
    int32_t textBoxBack = 0xFFFFFF;
    int32_t buttonBack = 0xC0C0C0;
    int32_t optionBack = 0xC0C0C0;

    bool operator==(const Colours&) const = default;
};

// Set by each child window while it is loaded, so that a resize can lay out the open ones.
struct WindowsOpen {
    bool peakSetup = false;
    bool plot = false;
    bool results = false;
    bool correlation = false;
    bool allParameters = false;
    bool colours = false;
    bool about = false;

    bool operator==(const WindowsOpen&) const = default;
};

// What the Plot menu chose; read by Plot and by the PostScript page.
struct PlotSettings {
    int32_t plotType = 0;  // the Plot menu entry last chosen, 0 … 4
    bool withCalculation = false;  // show the calculated spectrum and its components
    bool residualFlag = false;     // residuals have been asked for
    int32_t residualScale = 0;     // 0: no residuals; else the factor on counts − calculated

    bool operator==(const PlotSettings&) const = default;
};

// The spectrum as it was before the first zoom, so that every zoom cuts from the full data and
// Reset brings them back. Cleared when data are read. A calculation or fit clears only the
// zoomed flag: Reset still brings the backup back, and the next zoom takes a new one.
struct ZoomBackup {
    bool zoomed = false;  // the next zoom cuts from this backup
    int32_t npFull = 0;   // 0: there is no backup
    // The backed-up calculated spectrum and components are those of the current model. A
    // calculation or fit on zoomed data makes them stale: Reset then needs the model calculated
    // again on the full data.
    bool modelCurrent = false;
    std::vector<double> energy;
    std::vector<double> counts;
    std::vector<double> sigma;
    // Only when a calculated spectrum existed at the first zoom.
    std::vector<double> calculated;
    std::vector<double> components;  // npFull × ncomp, column-major
    std::vector<double> residuals;
    // Whether the file held the full data when they were backed up, so that Reset can tell
    // whether bringing them back makes them saved again: a photon energy typed or an energy
    // shift made before the zoom, or a zoomed window saved since, still needs saving.
    bool dataSavedBefore = false;

    bool operator==(const ZoomBackup&) const = default;
};

struct Module1 {
    Spectrum spectrum;
    Configuration configuration;
    FitControls fitControls;
    FitResults fitResults;
    EngineParameters engine;
    std::vector<double> residuals;  // np: (counts − calculated) × residual scale
    PlotSettings plot;
    ZoomBackup zoom;
    bool plotShown = false;  // the plot window has drawn its chart

    bool dataLoaded = false;
    bool configLoaded = false;
    bool fitParametersLoaded = false;  // set by start-up once the fit controls are read
    bool calculationDone = false;
    bool configSaved = true;
    bool fitParametersSaved = true;
    bool dataSaved = true;
    bool calculationSaved = true;
    bool configIsNew = false;  // made with New: saving needs Save As
    bool breakRequested = false;
    bool exitCancelled = false;
    WindowsOpen windowOpen;

    std::string startDirectory;
    std::string dataExtension = "dat";
    std::string configExtension = "cfg";
    Colours colours;
    int32_t innerWidth = 0;
    int32_t innerHeight = 0;
    int32_t currentPeak = 1;  // as the setup window numbers peaks, from 1
    // While set, a value committed in the setup window does not redraw the plot: a peak change
    // or a peak moved in the plot commits several boxes and redraws once at the end.
    bool replotSuppressed = false;
    // Set while a peak number chosen in the plot window is passed to the setup window, so that
    // the setup window does not send the same number back.
    bool peakSyncGuard = false;
    int32_t engineMode = 0;   // mode of the last engine call
    // Position and height of each peak as last drawn as a marker: nds entries.
    std::vector<double> markerPosition;
    std::vector<double> markerHeight;

    bool operator==(const Module1&) const = default;
};

// After nds or nbg changed: sets npar and ncomp and resizes the arrays. Peak parameters, names
// and links of parameters that still exist keep their contents; new ones are 0, unnamed and
// varied. The background's links are reset to no link, since the coefficients move whenever
// nds changes. A link whose partner no longer exists is reset to varied: it could only point
// outside the arrays. The marker arrays are cleared to nds zeros, as the markers must be
// drawn again. Throws std::invalid_argument for nds < 0 or nbg outside 0 … 3.
void ResizeConfiguration(Module1& module);

// The fitted values with their standard deviations and correlations, the areas, widths and the
// condition number describe the model and the spectrum they were fitted to: a new configuration
// or spectrum discards them, so that no window or report shows them for another one. The
// components stay; they go with the calculated spectrum.
void discardFit(FitResults& results);

// Pos1, Height1, LFWHM1, Alpha1, GFWHM1, Pos2, …, then a0, a1, a2 for the nbg coefficients.
void MakeParameterNames(Configuration& configuration);

// The name of 0-based parameter `index` of a model with nds peaks, as MakeParameterNames gives
// it; built from the index, so that it is right even where the names were not rebuilt after nds
// changed.
std::string parameterName(int32_t nds, int32_t index);

struct PathParts {
    std::string directory;  // everything before the last separator; empty without one
    std::string fileName;   // everything after it
    std::string baseName;   // the file name up to its first "."

    bool operator==(const PathParts&) const = default;
};

// Splits a full file name. Both "/" and "\" separate folders: names come from the file dialog
// with "/", but names kept in older files were written with "\".
PathParts SplitPath(std::string_view fullName);

}  // namespace varnix::app
