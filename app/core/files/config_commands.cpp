#include "core/files/config_commands.h"

#include "core/files/data_commands.h"
#include "core/files/data_file_choice.h"

// The routines' signatures, from their one declaration beside the libraries; only the types are
// used here, the entries themselves come through the loader.
#include "varnix_io.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

namespace varnix::app {

namespace {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kModeCounts = 0;
constexpr int32_t kModeEverything = 1;
// 5·NDS must stay an int32, the type of every count the routines exchange.
constexpr int32_t kMaxPeaks = std::numeric_limits<int32_t>::max() / kParametersPerPeak;

constexpr std::string_view kReadError =
    "Error in reading Configuration File - try editing and repairing file - or create new";
constexpr std::string_view kFentarMissing = "Fortran dll FENTAR.DLL not found - ABORT";
constexpr std::string_view kWriteError = "Error in writing Configuration File";

// Ends a read with the read message.
class ReadFailed : public std::runtime_error {
public:
    ReadFailed() : std::runtime_error("configuration file not read") {}
};

struct Counts {
    int32_t nds = 0;
    int32_t nbg = 0;

    bool operator==(const Counts&) const = default;
};

// The arrays FENTAR fills, partners 1-based as the routine gives them. Each holds at least one
// element, so that no routine is ever handed a null array.
struct FentarArrays {
    FentarArrays(std::size_t peakParameters, std::size_t parameters)
        : p(std::max<std::size_t>(peakParameters, 1)), state(p.size()), partner(p.size()),
          value(p.size()), kind(std::max<std::size_t>(parameters, 1))
    {
    }

    std::vector<double> p;
    std::array<double, kMaxBackgroundCoefficients> a{};
    std::vector<int32_t> state;
    std::vector<int32_t> partner;
    std::vector<double> value;
    std::vector<int32_t> kind;  // runs over all parameters, background included
    double hmuConfig = 0.0;
};

int32_t length(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

std::size_t peakParameterCount(int32_t nds)
{
    return static_cast<std::size_t>(kParametersPerPeak) * static_cast<std::size_t>(nds);
}

Counts callFentar(FentarFunction fentar, const std::string& name, int32_t mode,
                  int32_t arrayLength, FentarArrays& arrays)
{
    Counts counts;
    int32_t status = kStatusOk;
    fentar(&mode, &counts.nds, &counts.nbg, &arrayLength, arrays.p.data(), arrays.a.data(),
           arrays.state.data(), arrays.partner.data(), arrays.value.data(), arrays.kind.data(),
           &arrays.hmuConfig, name.c_str(), length(name), &status);
    // Counts no configuration can have are as unreadable as a status the routine sets.
    if (status != kStatusOk || counts.nds < 0 || counts.nds > kMaxPeaks || counts.nbg < 0
        || counts.nbg > kMaxBackgroundCoefficients) {
        throw ReadFailed{};
    }
    return counts;
}

// The peak model as read; npar, ncomp and the background's links are ResizeConfiguration's.
Configuration fromArrays(const Counts& counts, const FentarArrays& arrays)
{
    const std::size_t n = peakParameterCount(counts.nds);
    Configuration c;
    c.nds = counts.nds;
    c.nbg = counts.nbg;
    c.p.assign(arrays.p.begin(), arrays.p.begin() + static_cast<std::ptrdiff_t>(n));
    c.a = arrays.a;
    for (std::size_t i = 0; i < n; ++i) {
        // Any partner below 1 becomes -1, outside the model, for the repair to deal with.
        const int32_t partner = arrays.partner[i] > 0 ? arrays.partner[i] - 1 : -1;
        c.links.push_back(ParameterLink{arrays.state[i], partner, arrays.value[i], arrays.kind[i]});
    }
    c.hmuConfig = arrays.hmuConfig;
    MakeParameterNames(c);
    return c;
}

// FENTAR for the counts, then for everything into arrays sized from them; nothing on failure,
// its message shown.
std::optional<Configuration> readConfiguration(Dialogs& dialogs, LibraryLoader& loader,
                                               const std::string& name)
{
    const auto fentar = routineOrMessage<FentarFunction>(loader, dialogs, "fentar", kFentarMissing);
    if (fentar == nullptr) {
        return std::nullopt;
    }
    try {
        FentarArrays probe(1, 1);
        const Counts counts = callFentar(fentar, name, kModeCounts, 1, probe);
        const std::size_t n = peakParameterCount(counts.nds);
        FentarArrays arrays(n, n + static_cast<std::size_t>(counts.nbg));
        // A file changed between the two calls does not fit the arrays sized for the first.
        if (callFentar(fentar, name, kModeEverything, static_cast<int32_t>(n), arrays) != counts) {
            throw ReadFailed{};
        }
        return fromArrays(counts, arrays);
    } catch (const std::exception&) {
        dialogs.message(kReadError);
        return std::nullopt;
    }
}

// The photon-energy check against loaded data and the link repair, on the configuration just
// read. True when it differs from its file from the start.
bool reconcile(const Module1& module, Configuration& read, Dialogs& dialogs)
{
    bool unsaved = false;
    if (module.dataLoaded) {
        unsaved = offerPeakShift(read, module.spectrum, dialogs);
        // Binding-energy data make the next save store their photon energy with the model.
        unsaved = unsaved || (read.hmuConfig <= 0.0 && module.spectrum.binding);
    }
    const bool repaired = repairLinks(read);
    return unsaved || repaired;
}

bool fileExists(const Module1& module, const std::string& fileName)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(resolvedName(module, fileName), ignored);
}

// The photon energy a save stores: the spectrum's when it knows one, else the configuration's.
double photonEnergyToStore(const Module1& module)
{
    if (module.dataLoaded && module.spectrum.hmu > 0.0) {
        return module.spectrum.hmu;
    }
    return module.configuration.hmuConfig;
}

// ResizeConfiguration before a save, which moves no peak: the markers stay as the plot drew them.
void resizeForSave(Module1& module)
{
    const std::vector<double> position = module.markerPosition;
    const std::vector<double> height = module.markerHeight;
    ResizeConfiguration(module);
    if (position.size() == module.markerPosition.size()
        && height.size() == module.markerHeight.size()) {
        module.markerPosition = position;
        module.markerHeight = height;
    }
}

// GORSEL with the configuration's arrays, partners turned 1-based; the routine's status.
int32_t callGorsel(GorselFunction gorsel, const Configuration& c, const std::string& name,
                   double hmu)
{
    const std::size_t n = peakParameterCount(c.nds);
    std::vector<int32_t> state(n);
    std::vector<int32_t> partner(n);
    std::vector<double> value(n);
    std::vector<int32_t> kind(c.links.size());
    for (std::size_t i = 0; i < c.links.size(); ++i) {
        kind[i] = c.links[i].kind;
        if (i < n) {
            state[i] = c.links[i].state;
            partner[i] = c.links[i].partner + 1;
            value[i] = c.links[i].value;
        }
    }
    const auto peakParameters = static_cast<int32_t>(n);
    int32_t status = kStatusOk;
    gorsel(&peakParameters, &c.nds, &c.nbg, c.p.data(), c.a.data(), state.data(), partner.data(),
           value.data(), kind.data(), &hmu, name.c_str(), length(name), &status);
    return status;
}

}  // namespace

std::optional<std::string> NewConfiguration(Module1& module, MenuState& menu)
{
    Configuration& c = module.configuration;
    c.nds = 1;
    ResizeConfiguration(module);
    std::fill(c.p.begin(), c.p.end(), 0.0);
    MakeParameterNames(c);
    c.fileName.clear();
    discardFit(module.fitResults);
    module.configLoaded = true;
    module.configSaved = false;
    module.configIsNew = true;
    menu.saveConfiguration = MenuEntry{false, false};
    menu.saveAsConfiguration.checked = false;
    return Enable(module, menu);
}

int32_t LoadConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                          MenuState& menu, const std::string& fileName)
{
    std::optional<Configuration> read =
        readConfiguration(dialogs, loader, resolvedName(module, fileName));
    if (!read) {
        return kReadAbandoned;
    }
    read->fileName = fileName;
    const bool unsaved = reconcile(module, *read, dialogs);
    module.configuration = std::move(*read);
    ResizeConfiguration(module);
    discardFit(module.fitResults);
    module.configSaved = !unsaved;
    if (unsaved) {
        menu.saveConfiguration.enabled = true;
    }
    return kReadDone;
}

bool OpenConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                       const std::string& fileName)
{
    // A name that cannot be remembered costs only the next proposal.
    rememberConfigName(module.startDirectory, fileName);
    if (!fileExists(module, fileName)) {
        dialogs.message(doesNotExistMessage(fileName));
        return false;
    }
    if (LoadConfiguration(module, dialogs, loader, menu, fileName) != kReadDone) {
        return false;
    }
    module.configLoaded = true;
    module.configIsNew = false;
    Enable(module, menu);
    return true;
}

bool OpenAllFilesConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                               MenuState& menu)
{
    const std::optional<std::string> name = lastConfigName(module.startDirectory);
    if (!name) {
        dialogs.message(
            doesNotExistMessage(memoryFileName(module.startDirectory, kLastConfigFile)));
        return false;
    }
    return OpenConfiguration(module, dialogs, loader, menu, *name);
}

std::string configurationPanel(const Configuration& configuration)
{
    std::string text = "Config. File : ";
    text.append(SplitPath(configuration.fileName).fileName).append("  ");
    return text;
}

bool repairLinks(Configuration& configuration)
{
    const std::size_t n =
        std::min(peakParameterCount(configuration.nds), configuration.links.size());
    std::vector<ParameterLink>& links = configuration.links;
    bool repaired = false;
    for (std::size_t i = 0; i < n; ++i) {
        ParameterLink& link = links[i];
        const auto own = static_cast<int32_t>(i);
        const bool outside = link.partner < 0 || std::cmp_greater_equal(link.partner, n);
        if (outside || (link.state == kLinkVaried && link.partner != own)) {
            link.partner = own;
            repaired = true;
        }
        // Changing a correlated link to fixed never changes whether a partner is varied, so one
        // pass in index order settles every link.
        if (link.state == kLinkCorrelated
            && links[static_cast<std::size_t>(link.partner)].state != kLinkVaried) {
            link.state = kLinkFixed;
            repaired = true;
        }
    }
    return repaired;
}

bool SaveConfig(Module1& module, Dialogs& dialogs, LibraryLoader& loader)
{
    const double hmu = photonEnergyToStore(module);
    int32_t status = kStatusOk;
    try {
        resizeForSave(module);
        const auto gorsel = loader.routine<GorselFunction>("gorsel");
        status = callGorsel(gorsel, module.configuration,
                            resolvedName(module, module.configuration.fileName), hmu);
    } catch (const std::exception&) {
        dialogs.message(kWriteError);
        return false;
    }
    if (status != kStatusOk) {
        dialogs.message(kWriteError);
        return false;
    }
    // The file now holds this photon energy; the next data read is checked against it.
    module.configuration.hmuConfig = hmu;
    return true;
}

bool saveConfiguration(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu)
{
    if (!SaveConfig(module, dialogs, loader)) {
        return false;
    }
    module.configSaved = true;
    menu.saveConfiguration.checked = true;
    return true;
}

bool saveConfigurationAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                         MenuState& menu, const std::string& fileName)
{
    std::string previous = std::exchange(module.configuration.fileName, fileName);
    if (!SaveConfig(module, dialogs, loader)) {
        module.configuration.fileName = std::move(previous);
        return false;
    }
    module.configIsNew = false;
    module.configSaved = true;
    menu.saveAsConfiguration.checked = true;
    rememberConfigName(module.startDirectory, fileName);
    return true;
}

bool ShiftPeakPositions(Module1& module, MenuState& menu, std::string_view typedAmount)
{
    const std::optional<double> amount = typedEnergyAmount(typedAmount);
    if (!amount) {
        return false;
    }
    addToPeakPositions(module.configuration, *amount);
    module.configSaved = false;
    enableUnsavedSaves(module, menu);
    return true;
}

bool ShiftEnergiesAndPeakPositions(Module1& module, MenuState& menu,
                                   std::string_view typedAmount)
{
    // The same text gives the same amount to both, so the second shift cannot fail.
    return ShiftExperimentalEnergies(module, typedAmount)
           && ShiftPeakPositions(module, menu, typedAmount);
}

}  // namespace varnix::app
