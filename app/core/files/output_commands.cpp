#include "core/files/output_commands.h"

#include "core/display/results_table.h"
#include "core/files/data_commands.h"
#include "core/files/data_regions.h"
#include "core/fit/engine_call.h"
#include "core/uncertainty/uncertainty_table.h"

// The routines' signatures, from their one declaration beside the libraries; only the types are
// used here, the entries themselves come through the loader.
#include "kelmar.h"
#include "statistics.h"
#include "varnix_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <limits>
#include <utility>

namespace varnix::app {

namespace {

namespace fs = std::filesystem;

constexpr int32_t kStatusOk = 0;
constexpr std::string_view kSaveTitle = "Save File As ...";
constexpr std::string_view kGraphError = "Error in writing graph to PostScript file";
constexpr std::string_view kConfigurationError = "Error in writing config data to text file";
constexpr std::string_view kResultsError = "Error in writing results to text file";
constexpr std::string_view kCorrelationsError = "Error in writing correlation matrix to text file";

struct WriteDialog {
    std::string_view filter;
    std::string_view defaultSuffix;
    std::string_view nameEnding;  // appended to the data's base name
};

// In WriteItem order.
constexpr std::array<WriteDialog, 4> kWriteDialogs{{
    {"PostScript Files (*.ps)", "ps", ".ps"},
    {"Config text files (*_config.txt);;All Files (*)", "", "_config.txt"},
    {"Result Files (*_results.txt);;All Files (*)", "", "_results.txt"},
    {"Correlation Files (*_corr.txt);;All Files (*)", "", "_corr.txt"},
}};

constexpr std::string_view kDataFilter =
    "All Data Files (*.dat);;Sx700 Data Files (*.sx7);;Scienta Data Files (*.sci);;"
    "All Files (*)";
// The data filter's entries in order; a name matching none selects the last, All Files.
constexpr std::array<std::string_view, 3> kDataEndings = {".dat", ".sx7", ".sci"};

int32_t length(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

std::size_t count(int32_t n)
{
    return static_cast<std::size_t>(std::max(n, 0));
}

// The folder of a file the program holds; a bare name lives in the start directory.
std::string folderOf(const Module1& module, const std::string& fileName)
{
    const std::string directory = SplitPath(fileName).directory;
    return directory.empty() ? module.startDirectory : directory;
}

// A blank name leaves the folder alone, so that the dialog opens there.
std::string inFolder(const std::string& folder, const std::string& name)
{
    return (fs::path(folder) / name).string();
}

std::size_t dataFilterIndex(const std::string& fileName)
{
    std::string lower = fileName;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto* match = std::find_if(kDataEndings.begin(), kDataEndings.end(),
                                     [&](std::string_view end) { return lower.ends_with(end); });
    return static_cast<std::size_t>(match - kDataEndings.begin());
}

FileDialogRequest saveRequest(std::string_view filter, std::string defaultName)
{
    FileDialogRequest request;
    request.title = kSaveTitle;
    request.filter = filter;
    request.defaultName = std::move(defaultName);
    return request;
}

// The data file itself; a region of a file that holds several spectra gets a file of its own,
// since writing the one spectrum over that file would lose the others.
FileDialogRequest saveDataRequest(const Module1& module)
{
    const std::string& data = module.spectrum.fileName;
    const std::string name = splitDataName(module, data).region
                                 ? dataBaseName(module).append(".").append(module.dataExtension)
                                 : SplitPath(data).fileName;
    FileDialogRequest request = saveRequest(kDataFilter, inFolder(folderOf(module, data), name));
    request.selectedFilter = dataFilterIndex(name);
    return request;
}

// Calculated spectra are proposed no name, only the data's folder; those of a region are named
// after it, so that two regions' spectra do not overwrite each other.
FileDialogRequest saveCalculatedRequest(const Module1& module, std::string_view filter,
                                        std::string_view extension)
{
    const std::string& data = module.spectrum.fileName;
    std::string name;
    if (splitDataName(module, data).region) {
        name = dataBaseName(module).append(extension);
    }
    return saveRequest(filter, inFolder(folderOf(module, data), name));
}

FileDialogRequest saveConfigurationRequest(const Module1& module)
{
    const std::string& config = module.configuration.fileName;
    // A configuration made with New has no file yet; the data's folder is the natural place.
    const std::string folder = folderOf(module, config.empty() ? module.spectrum.fileName : config);
    std::string name;
    if (module.dataLoaded) {
        name = dataBaseName(module).append(".").append(module.configExtension);
    }
    FileDialogRequest request = saveRequest("Configuration Files (*.cfg)", inFolder(folder, name));
    request.defaultSuffix = "cfg";
    return request;
}

// A missing library is reported in the words of the other routines, never passed over in
// silence as if the file had been written.
std::string notFoundMessage(std::string_view library)
{
    return std::string("Fortran dll ").append(entryName(library)).append(".DLL not found");
}

// A file's identity. The routines without a status write a new file and rename it onto the
// target, so a target they wrote is another file than before: that is how their success shows.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
};

FileStamp stampOf(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return {true, info.st_dev, info.st_ino, info.st_mtim};
}

bool writtenSince(const std::string& name, const FileStamp& before)
{
    const FileStamp after = stampOf(name);
    return after.exists &&
           (!before.exists || after.device != before.device || after.inode != before.inode ||
            after.modified.tv_sec != before.modified.tv_sec ||
            after.modified.tv_nsec != before.modified.tv_nsec);
}

bool reported(Dialogs& dialogs, int32_t status, std::string_view failure)
{
    if (status > kStatusOk) {
        dialogs.message(failure);
        return false;
    }
    return true;
}

// The date and time texts the reports carry.
struct ReportClock {
    std::string date;
    std::string time;
};

ReportClock now()
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 16> date{};
    std::array<char, 16> time{};
    std::strftime(date.data(), date.size(), "%d.%m.%Y", &local);
    std::strftime(time.data(), time.size(), "%H:%M:%S", &local);
    return {date.data(), time.data()};
}

// `values` cut or padded with zeros to n entries: a routine must never read past what exists.
std::vector<double> padded(const std::vector<double>& values, std::size_t n)
{
    std::vector<double> result = values;
    result.resize(n, 0.0);
    return result;
}

std::vector<float> singles(const std::vector<double>& values, std::size_t n)
{
    const std::vector<double> full = padded(values, n);
    std::vector<float> result(n);
    std::transform(full.begin(), full.end(), result.begin(),
                   [](double v) { return static_cast<float>(v); });
    return result;
}

std::vector<double> plotResiduals(const Module1& module)
{
    const Spectrum& s = module.spectrum;
    const std::size_t n = count(s.np);
    if (module.residuals.size() >= n) {
        return padded(module.residuals, n);
    }
    const std::vector<double> calculated = padded(s.calculated, n);
    std::vector<double> residuals(n);
    for (std::size_t i = 0; i < n; ++i) {
        residuals[i] = (s.counts[i] - calculated[i]) * module.plot.residualScale;
    }
    return residuals;
}

// The link states of the fit parameters: the engine's copy from the last calculation or fit,
// else the configuration's (npar entries either way).
std::vector<int32_t> fitLinkStates(const Module1& module)
{
    const std::size_t npar = count(module.configuration.npar);
    if (module.engine.varied.size() == npar) {
        return module.engine.varied;
    }
    assert(module.configuration.links.size() >= npar);
    std::vector<int32_t> states(npar);
    std::transform(module.configuration.links.begin(),
                   module.configuration.links.begin() + static_cast<std::ptrdiff_t>(npar),
                   states.begin(), [](const ParameterLink& link) { return link.state; });
    return states;
}

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

// The σ of each fitted parameter as the results window shows them, NaN where it shows none.
std::vector<double> parameterSigmas(const Module1& module)
{
    const std::vector<std::optional<double>> deviations = parameterDeviations(module);
    std::vector<double> sigmas;
    for (const std::optional<double>& sd : deviations) {
        sigmas.push_back(sd.value_or(kUnknown));
    }
    return sigmas;
}

// The peaks' figures in LURVEN's order, as the results window's second grid shows them; NaN
// while it shows none.
std::vector<double> lurvenPeakFigures(const Module1& module)
{
    const std::size_t nds = count(module.configuration.nds);
    std::vector<double> figures;
    figures.reserve(nds * static_cast<std::size_t>(kLurvenPeakFigures));
    if (!hasUncertainties(module)) {
        figures.resize(nds * static_cast<std::size_t>(kLurvenPeakFigures), kUnknown);
        return figures;
    }
    for (const PeakUncertainty& p : module.fitResults.uncertainties.peaks) {
        figures.insert(figures.end(),
                       {p.area.sigma, p.share.sigma, p.widthAtHalfHeight.sigma, p.maximum.value,
                        p.maximum.sigma, p.maximumEnergy.value, p.maximumEnergy.sigma,
                        p.widthAtHalfMaximum.value, p.widthAtHalfMaximum.sigma});
    }
    return figures;
}

// The links of the 5·NDS peak parameters as MIRDAX takes them, partners counted from 1.
struct PeakLinks {
    std::vector<int32_t> state;
    std::vector<int32_t> partner;
    std::vector<double> value;
    std::vector<int32_t> kind;
};

PeakLinks peakLinks(const Configuration& config, std::size_t n)
{
    assert(config.links.size() >= n);
    PeakLinks links;
    for (std::size_t i = 0; i < n; ++i) {
        const ParameterLink& link = config.links[i];
        links.state.push_back(link.state);
        links.partner.push_back(link.partner + 1);
        links.value.push_back(link.value);
        links.kind.push_back(link.kind);
    }
    return links;
}

}  // namespace

FileDialogRequest writeRequest(const Module1& module, WriteItem item)
{
    const WriteDialog& dialog = kWriteDialogs[static_cast<std::size_t>(item)];
    const std::string name = dataBaseName(module).append(dialog.nameEnding);
    FileDialogRequest request =
        saveRequest(dialog.filter, inFolder(folderOf(module, module.spectrum.fileName), name));
    request.defaultSuffix = dialog.defaultSuffix;
    return request;
}

FileDialogRequest saveAsRequest(const Module1& module, SaveAsItem item)
{
    switch (item) {
        case SaveAsItem::Data:
            return saveDataRequest(module);
        case SaveAsItem::Configuration:
            return saveConfigurationRequest(module);
        case SaveAsItem::CalculatedSpectra:
            return saveCalculatedRequest(module, "Calculated Spectra (*.cal)", ".cal");
        case SaveAsItem::CalculatedSpectraAndData:
            return saveCalculatedRequest(module, "Calculated Spectra + Data (*.cex)", ".cex");
    }
    assert(false && "a Save As item");
    return {};
}

GraphArguments graphArguments(const Module1& module)
{
    const Spectrum& s = module.spectrum;
    const std::size_t n = count(s.np);
    assert(s.energy.size() >= n && s.counts.size() >= n);
    GraphArguments g;
    g.np = s.np;
    g.ncomp = module.configuration.ncomp;
    g.x.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        g.x[i] = static_cast<float>(s.photonEnergyKnown ? s.hmu - s.energy[i] : s.energy[i]);
    }
    g.y = singles(s.counts, n);
    g.yc = singles(s.calculated, n);
    g.c = singles(module.fitResults.components, n * count(g.ncomp));
    if (module.plot.residualScale != 0) {
        g.r = singles(plotResiduals(module), n);
        g.nr = s.np;
    } else {
        g.r = {0.0F};
        g.nr = 1;
    }
    g.xTitle = s.photonEnergyKnown ? "Binding Energy (ev)" : "Kinetic Energy (ev)";
    g.yTitle = "Intensity (counts)";
    return g;
}

bool WriteGraph(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                const std::string& fileName)
{
    const auto kelmar =
        routineOrMessage<KelmarFunction>(loader, dialogs, "kelmar", notFoundMessage("kelmar"));
    if (kelmar == nullptr) {
        return false;
    }
    const GraphArguments g = graphArguments(module);
    const std::string name = resolvedName(module, fileName);
    const FileStamp before = stampOf(name);
    kelmar(&g.np, &g.ncomp, g.x.data(), g.y.data(), g.yc.data(), g.c.data(), g.r.data(), &g.nr,
           name.c_str(), length(name), g.xTitle.c_str(), length(g.xTitle), g.yTitle.c_str(),
           length(g.yTitle));
    // The plot library has no status to tell a page it could not write.
    if (!writtenSince(name, before)) {
        dialogs.message(kGraphError);
        return false;
    }
    return true;
}

bool WriteConfigurationParameters(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                                  const std::string& fileName)
{
    const auto mirdax =
        routineOrMessage<MirdaxFunction>(loader, dialogs, "mirdax", notFoundMessage("mirdax"));
    if (mirdax == nullptr) {
        return false;
    }
    const Configuration& c = module.configuration;
    const int32_t peakParameters = kParametersPerPeak * c.nds;
    assert(c.p.size() >= count(peakParameters));
    const PeakLinks links = peakLinks(c, count(peakParameters));
    const std::string name = resolvedName(module, fileName);
    const ReportClock clock = now();
    int32_t status = kStatusOk;
    mirdax(&peakParameters, &c.nds, &c.nbg, c.p.data(), c.a.data(), links.state.data(),
           links.partner.data(), links.value.data(), links.kind.data(), name.c_str(), length(name),
           c.fileName.c_str(), length(c.fileName), clock.date.c_str(), length(clock.date),
           clock.time.c_str(), length(clock.time), &status);
    return reported(dialogs, status, kConfigurationError);
}

bool WriteResults(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                  const std::string& fileName)
{
    const auto lurven =
        routineOrMessage<LurvenFunction>(loader, dialogs, "lurven", notFoundMessage("lurven"));
    if (lurven == nullptr) {
        return false;
    }
    if (!hasFitResults(module)) {
        dialogs.message(kNoFitResultsMessage);
        return false;
    }
    const Configuration& c = module.configuration;
    const FitResults& f = module.fitResults;
    const Spectrum& s = module.spectrum;
    const double r = s.np > 0 ? std::sqrt(f.chiSquare / s.np) : 0.0;
    const std::vector<int32_t> varied = fitLinkStates(module);
    const std::vector<double> sigmas = parameterSigmas(module);
    const std::vector<double> figures = lurvenPeakFigures(module);
    // As the results window: the condition number once the error matrix is there.
    const double condition = module.engineMode == kEngineErrorMatrix ? f.conditionNumber : kUnknown;
    const Diagnosis& d = f.uncertainties.diagnosis;
    const double correlationCondition = d.conditionNumber > 0.0 ? d.conditionNumber : kUnknown;
    const std::string diagnosis = reportedDiagnosis(d);
    const std::string name = resolvedName(module, fileName);
    const ReportClock clock = now();
    int32_t status = kStatusOk;
    lurven(&s.hmu, &r, f.parameters.data(), f.areas.data(), f.widths.data(), varied.data(), &c.npar,
           &c.nds, &c.nbg, name.c_str(), length(name), s.fileName.c_str(), length(s.fileName),
           clock.date.c_str(), length(clock.date), clock.time.c_str(), length(clock.time),
           sigmas.data(), figures.data(), &f.chiSquare, &s.np, &f.nfree, &condition,
           &correlationCondition, diagnosis.c_str(), length(diagnosis), &status);
    return reported(dialogs, status, kResultsError);
}

bool WriteCorrelations(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       const std::string& fileName)
{
    const auto quendal =
        routineOrMessage<QuendalFunction>(loader, dialogs, "quendal", notFoundMessage("quendal"));
    if (quendal == nullptr) {
        return false;
    }
    if (!hasFitResults(module)) {
        dialogs.message(kNoFitResultsMessage);
        return false;
    }
    const FitResults& f = module.fitResults;
    const std::size_t n = count(f.nfree);
    if (f.nfree < 0 || f.errorMatrix.size() != n * n) {
        dialogs.message(kCorrelationsError);
        return false;
    }
    // SD(i) = √E(i,i), taken from the matrix itself so that the two always belong together.
    const engine::StandardDeviations sd = engine::standardDeviations(f.errorMatrix, f.nfree);
    const engine::CorrelationMatrix r =
        engine::correlationMatrix(f.errorMatrix, sd.values, f.nfree);
    std::vector<double> cells(r.cells.size());
    std::transform(r.cells.begin(), r.cells.end(), cells.begin(), [](const auto& cell) {
        return cell.value_or(std::numeric_limits<double>::quiet_NaN());
    });
    const Configuration& c = module.configuration;
    const int32_t peakParameters = kParametersPerPeak * c.nds;
    const std::vector<int32_t> varied = fitLinkStates(module);
    const Spectrum& s = module.spectrum;
    const std::string name = resolvedName(module, fileName);
    const ReportClock clock = now();
    int32_t status = kStatusOk;
    quendal(&f.nfree, cells.data(), &peakParameters, &c.nbg, varied.data(), name.c_str(),
            length(name), s.fileName.c_str(), length(s.fileName), clock.date.c_str(),
            length(clock.date), clock.time.c_str(), length(clock.time), &status);
    return reported(dialogs, status, kCorrelationsError);
}

bool SaveCalc(Module1& module, Dialogs& dialogs, LibraryLoader& loader, const std::string& fileName,
              int32_t mode)
{
    const Spectrum& s = module.spectrum;
    const std::size_t n = count(s.np);
    assert(s.energy.size() >= n && s.counts.size() >= n);
    module.residuals.resize(n);
    const auto halmor = routineOrMessage<HalmorFunction>(loader, dialogs, "halmor", kSaveCalcError);
    if (halmor == nullptr) {
        return false;
    }
    // Before any calculation there are no components yet: they go as the zeros they are.
    const std::vector<double> calculated = padded(s.calculated, n);
    const std::vector<double> components =
        padded(module.fitResults.components, n * count(module.configuration.ncomp));
    const std::string name = resolvedName(module, fileName);
    const FileStamp before = stampOf(name);
    halmor(&s.np, &module.configuration.ncomp, s.energy.data(), s.counts.data(), calculated.data(),
           components.data(), &module.plot.residualScale, module.residuals.data(), name.c_str(),
           length(name), &mode);
    if (!writtenSince(name, before)) {
        dialogs.message(kSaveCalcError);
        return false;
    }
    return true;
}

bool saveCalculatedSpectraAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                             MenuState& menu, const std::string& fileName, bool withData)
{
    const int32_t mode = withData ? kCalculatedSpectraAndData : kCalculatedSpectraOnly;
    if (!SaveCalc(module, dialogs, loader, fileName, mode)) {
        return false;
    }
    if (module.calculationDone) {
        module.calculationSaved = true;
    }
    (withData ? menu.saveAsCalculatedSpectraAndData : menu.saveAsCalculatedSpectra).checked = true;
    return true;
}

void mnuPrintItem_Click(const Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                        WriteItem item)
{
    const bool fitReport = item == WriteItem::Results || item == WriteItem::Correlations;
    if (fitReport && !hasFitResults(module)) {
        dialogs.message(kNoFitResultsMessage);
        return;
    }
    const auto chosen = dialogs.saveFileName(writeRequest(module, item));
    if (!chosen) {
        return;
    }
    switch (item) {
    case WriteItem::Graph:
        WriteGraph(module, dialogs, loader, *chosen);
        break;
    case WriteItem::ConfigurationParameters:
        WriteConfigurationParameters(module, dialogs, loader, *chosen);
        break;
    case WriteItem::Results:
        WriteResults(module, dialogs, loader, *chosen);
        break;
    case WriteItem::Correlations:
        WriteCorrelations(module, dialogs, loader, *chosen);
        break;
    }
}

}  // namespace varnix::app
