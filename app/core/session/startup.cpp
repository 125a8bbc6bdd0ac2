#include "core/session/startup.h"

#include "core/fit/fit_controls.h"
#include "varnix_io.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

namespace varnix::app {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFitFile = "FitFile.dat";

constexpr std::string_view kOptionsHint = "Use menue item Options to change defaults";
constexpr std::string_view kFitHint =
    " - use Edit:Fit Parameters to edit default values - then save them";

std::string inFolder(const std::string& folder, std::string_view name)
{
    return (fs::path(folder) / name).string();
}

int32_t lengthOf(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

// The routine pads a short extension with blanks; the program keeps the text only.
std::string fromExtensionBuffer(const std::array<char, kExtensionLength>& buffer)
{
    std::string text(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

void readSettings(Module1& module, Dialogs& dialogs, LibraryLoader& loader)
{
    std::string message;
    try {
        const auto nostel = loader.routine<NostelFunction>("nostel");
        auto dataExtension = toExtensionBuffer(module.dataExtension);
        auto configExtension = toExtensionBuffer(module.configExtension);
        const Colours& c = module.colours;
        std::array<int32_t, 5> colours = {c.text, c.windowBack, c.textBoxBack, c.buttonBack,
                                          c.optionBack};
        const auto count = static_cast<int32_t>(colours.size());
        const std::string file = inFolder(module.startDirectory, kSettingsFile);
        int32_t status = -1;
        nostel(dataExtension.data(), kExtensionLength, configExtension.data(),
               kExtensionLength, colours.data(), &count, file.c_str(), lengthOf(file), &status);
        if (status == 0) {
            module.dataExtension = fromExtensionBuffer(dataExtension);
            module.configExtension = fromExtensionBuffer(configExtension);
            module.colours = {colours[0], colours[1], colours[2], colours[3], colours[4]};
            return;
        }
        message = "Error in reading initialization parameters - defaults will be used";
    } catch (const LibraryMissing&) {
        message = "Fortran dll nostel.DLL not found - using defaults";
    }
    dialogs.message(message.append("\n").append(kOptionsHint));
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x))
               == std::tolower(static_cast<unsigned char>(y));
    });
}

// The fit-control file of the folder: "FitFile.dat" itself, else a name differing only in
// case, which a file copied from a case-blind system may carry.
std::optional<std::string> findFitFile(const std::string& folder)
{
    std::error_code error;
    const fs::path exact = fs::path(folder) / kFitFile;
    if (fs::exists(exact, error)) {
        return exact.string();
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (equalIgnoringCase(it->path().filename().string(), kFitFile)) {
            return it->path().string();
        }
    }
    return std::nullopt;
}

// The failure message of the fit-control read, or nothing when the controls were read.
std::optional<std::string> readFitFile(Module1& module, LibraryLoader& loader)
{
    try {
        const std::optional<std::string> file = findFitFile(module.startDirectory);
        if (!file) {
            return std::string("FitFile not found").append(kFitHint);
        }
        const auto jundra = loader.routine<JundraFunction>("jundra");
        FitControls& f = module.fitControls;
        int32_t status = -1;
        jundra(&f.maxit, &f.rmin, &f.lambda, &f.lambdaFac, &f.maxLambdaIterations,
               &f.simpsonEps, &f.maxSimpsonIterations, &f.integrationRange, file->c_str(),
               lengthOf(*file), &status);
        // Values a fit cannot work with are a bad file too, whatever wrote them.
        if (status != 0 || firstFieldOutOfLimits(f)) {
            return std::string("Data error in FitFile").append(kFitHint);
        }
        return std::nullopt;
    } catch (const LibraryMissing&) {
        return std::string("Fortran dll JUNDRA.DLL not found").append(kFitHint);
    } catch (const std::exception&) {
        // The blank missing before "then" is in the message as the user knows it.
        return std::string("Unknown error in Fortran dll JUNDRA.DLL - use Edit:Fit Parameters "
                           "to edit default values- then save them");
    }
}

}  // namespace

std::array<char, kExtensionLength> toExtensionBuffer(std::string_view text)
{
    std::array<char, kExtensionLength> buffer{};
    buffer.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), buffer.size()), buffer.begin());
    return buffer;
}

StartUpOutcome startUp(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       InstanceLock& lock, const std::string& startDirectory)
{
    StartUpOutcome outcome;
    if (!lock.acquire() &&
        !dialogs.askYesNo(
            "Warning - program alrady open - 2nd instance may cause conflict - Continue?",
            DefaultButton::YesOrOk)) {
        return outcome;
    }
    module.startDirectory = startDirectory;
    module.colours = Colours{};
    module.dataExtension = "dat";
    module.configExtension = "cfg";
    readSettings(module, dialogs, loader);
    outcome.statusLine = kWaitingStatus;

    module.dataLoaded = false;
    module.configLoaded = false;
    module.engineMode = 0;
    module.configSaved = true;
    module.fitParametersSaved = true;
    module.dataSaved = true;
    module.calculationSaved = true;
    module.fitParametersLoaded = false;
    ReadFitParameters(module, dialogs, loader, outcome.menu);
    module.fitParametersLoaded = true;

    module.configuration.hmuConfig = 0.0;
    module.currentPeak = 1;
    module.plot.plotType = 0;
    module.plot.residualScale = 0;
    outcome.proceed = true;
    return outcome;
}

void ReadFitParameters(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu)
{
    const std::optional<std::string> failure = readFitFile(module, loader);
    if (!failure) {
        return;
    }
    dialogs.message(*failure);
    module.fitControls = FitControls{};
    module.fitParametersSaved = false;
    menu.saveFitParameters.enabled = true;
}

bool WriteFitParameters(const Module1& module, Dialogs& dialogs, LibraryLoader& loader)
{
    try {
        const auto kelsop = loader.routine<KelsopFunction>("kelsop");
        const FitControls& f = module.fitControls;
        const std::string file = inFolder(module.startDirectory, kFitFile);
        int32_t status = -1;
        kelsop(&f.maxit, &f.rmin, &f.lambda, &f.lambdaFac, &f.maxLambdaIterations,
               &f.simpsonEps, &f.maxSimpsonIterations, &f.integrationRange, file.c_str(),
               lengthOf(file), &status);
        if (status == 0) {
            return true;
        }
    } catch (const LibraryMissing&) {
        dialogs.message("Fortran dll KELSOP.DLL not found ");
        return false;
    } catch (const std::exception&) {
        // Reported below like a refused write: the file was not written either way.
    }
    dialogs.message(
        "Error in writing data to FitFile.dat\n"
        "- repair file in text editor - or copy fitfile.sav to fitfile.dat");
    return false;
}

bool saveFitParameters(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                       MenuState& menu)
{
    if (!WriteFitParameters(module, dialogs, loader)) {
        return false;
    }
    module.fitParametersSaved = true;
    menu.saveFitParameters.checked = true;
    return true;
}

bool endProgram(Module1& module, Dialogs& dialogs, std::string_view message,
                const MenuState& menuBeforeCommand, MenuState& menu)
{
    dialogs.message(message);
    menu = menuBeforeCommand;
    return runExitChecks(module, dialogs, menu);
}

}  // namespace varnix::app
