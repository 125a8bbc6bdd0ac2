#include "core/data_commands.h"

#include "core/data_file_choice.h"
#include "core/data_regions.h"
#include "core/number_format.h"

// The routines' signatures, from their one declaration beside the libraries; only the types are
// used here, the entries themselves come through the loader.
#include "varnix_io.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <utility>

namespace varnix::app {

namespace {

constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusHeaderError = 1;
constexpr int32_t kStatusDataError = 2;
constexpr int32_t kBlankCode = 32;
constexpr double kPhotonEnergyTolerance = 1.0E-5;  // eV; below it data and configuration agree

constexpr std::string_view kUnknownError = "Unknown error in reading data - ABORT";

// What TESSOR reported, and whether the user agreed to go on after a data error.
struct Dimensions {
    int32_t np = 0;
    int32_t nh = 0;
    bool continuedAfterError = false;
};

// Thrown inside a read to abandon it; the message (if any) has been shown already.
struct Abandon {};

int32_t length(const std::string& text)
{
    return static_cast<int32_t>(text.size());
}

// The routine of a data library, or its "not found" message and the read abandoned.
template <class F>
F routineOrAbandon(LibraryLoader& loader, Dialogs& dialogs, std::string_view name,
                   std::string_view notFound)
{
    const F routine = routineOrMessage<F>(loader, dialogs, name, notFound);
    if (routine == nullptr) {
        throw Abandon{};
    }
    return routine;
}

Dimensions callTessor(Dialogs& dialogs, LibraryLoader& loader, const std::string& name)
{
    const auto tessor = routineOrAbandon<TessorFunction>(
        loader, dialogs, "tessor", "Fortran dll TESSOR.DLL not found - ABORT");
    Dimensions dims;
    int32_t photonEnergyFlag = 0;
    int32_t status = kStatusOk;
    tessor(name.c_str(), length(name), &dims.np, &dims.nh, &photonEnergyFlag, &status);
    if (status == kStatusHeaderError && dims.np == 0) {
        dialogs.message("Error in reading file header - abort data read");
        throw Abandon{};
    }
    if (status == kStatusDataError && dims.np == 0) {
        dialogs.message("Error in reading data - abort data read");
        throw Abandon{};
    }
    if (status == kStatusDataError) {
        std::string question = "Warning - error in reading data after";
        question.append(std::to_string(dims.np)).append("Continue ?");
        if (!dialogs.askYesNo(question, DefaultButton::YesOrOk)) {
            throw Abandon{};
        }
        dims.continuedAfterError = true;
    }
    if (dims.np < 0 || dims.nh < 0) {
        dialogs.message(kUnknownError);
        throw Abandon{};
    }
    if (dims.np == 0) {
        // No routine of ours reports this, but an empty spectrum must never count as loaded.
        dialogs.message("Error in reading data - abort data read");
        throw Abandon{};
    }
    return dims;
}

// KAPRIL into arrays sized from TESSOR; the spectrum is cut to what it actually read.
void callKapril(Dialogs& dialogs, LibraryLoader& loader, const std::string& name,
                const Dimensions& dims, Spectrum& read, int32_t& status)
{
    const auto kapril = routineOrAbandon<KaprilFunction>(
        loader, dialogs, "kapril", "Fortran dll KAPRIL.DLL not found - ABORT");
    read.headerWidth = dims.nh > 0 ? kHeaderWidth : 1;
    const int32_t rows = std::max(dims.nh, 1);
    read.np = dims.np;
    read.nh = dims.nh;
    read.energy.assign(static_cast<std::size_t>(dims.np), 0.0);
    read.counts.assign(static_cast<std::size_t>(dims.np), 0.0);
    read.headerCodes.assign(
        static_cast<std::size_t>(rows) * static_cast<std::size_t>(read.headerWidth), 0);
    int32_t photonEnergyFlag = 0;
    int32_t binding = 0;
    kapril(&read.np, &rows, &read.nh, &read.headerWidth, read.energy.data(), read.counts.data(),
           read.headerCodes.data(), name.c_str(), length(name), &photonEnergyFlag, &read.hmu,
           &binding, &status);
    if (read.np < 0 || read.np > dims.np || read.nh < 0 || read.nh > dims.nh) {
        dialogs.message(kUnknownError);
        throw Abandon{};
    }
    read.photonEnergyKnown = photonEnergyFlag == 1;
    read.binding = binding == 1;
}

// Line of header row `row`, code 0 as a blank; the padding of the row is not part of it.
std::string headerLine(const Spectrum& spectrum, int32_t row)
{
    const int32_t rows = std::max(spectrum.nh, 1);
    std::string line;
    for (int32_t column = 0; column < spectrum.headerWidth; ++column) {
        const int32_t code = spectrum.headerCodes[static_cast<std::size_t>(row + rows * column)];
        line.push_back(code == 0 ? ' ' : static_cast<char>(code));
    }
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

// The last-energy check and the photon-energy question; Abandon when the read stops.
void askReadQuestions(Dialogs& dialogs, const std::string& name, int32_t kaprilStatus,
                      Spectrum& read, bool& photonEnergyTyped)
{
    // Only a last point of zero energy and zero counts looks like a trailing empty line: a
    // binding-energy survey may well end at 0 eV with real counts, and OK would drop them.
    const auto last = static_cast<std::size_t>(read.np - 1);
    if (kaprilStatus == kStatusOk && read.np > 0 && read.energy[last] == 0.0 &&
        read.counts[last] == 0.0) {
        if (!dialogs.askOkCancel("Warning - last energy is zero - probable error at end of "
                                 "data file - Continue ?",
                                 DefaultButton::NoOrCancel)) {
            throw Abandon{};
        }
        --read.np;
    }
    photonEnergyTyped = false;
    if (read.photonEnergyKnown || !read.binding) {
        return;
    }
    const std::optional<std::string> answer = dialogs.inputBox("Enter photon energy", "", "");
    if (!answer || answer->empty()) {
        std::string text = name;
        text.append(" - contains binding energy data - photon energy must be given");
        dialogs.message(text);
        throw Abandon{};
    }
    const std::optional<double> hmu = parseNumber(*answer);
    if (!hmu) {
        dialogs.message(kUnknownError);
        throw Abandon{};
    }
    read.hmu = *hmu;
    read.photonEnergyKnown = true;
    photonEnergyTyped = true;
}

void finishSpectrum(Spectrum& read)
{
    const auto points = static_cast<std::size_t>(read.np);
    read.energy.resize(points);
    read.counts.resize(points);
    read.calculated.assign(points, 0.0);
    read.sigma.resize(points);
    for (std::size_t i = 0; i < points; ++i) {
        // Negative counts (background-subtracted data) weigh as zero counts instead of poisoning
        // the fit with a NaN weight.
        read.sigma[i] = std::sqrt(std::max(read.counts[i], 0.0)) + 1.0;
        if (read.photonEnergyKnown) {
            read.energy[i] = read.hmu - read.energy[i];
        }
    }
    read.headerLines.clear();
    for (int32_t row = 0; row < read.nh; ++row) {
        read.headerLines.push_back(headerLine(read, row));
    }
}

}  // namespace

int32_t ReadData(Module1& module, Dialogs& dialogs, LibraryLoader& loader,
                 const std::string& fileName)
{
    const std::string name = resolvedName(module, fileName);
    Spectrum read;
    bool photonEnergyTyped = false;
    try {
        const Dimensions dims = callTessor(dialogs, loader, name);
        int32_t status = kStatusOk;
        callKapril(dialogs, loader, name, dims, read, status);
        // A data error is acceptable only when the user already agreed to go on after it.
        if (status != kStatusOk && !(status == kStatusDataError && dims.continuedAfterError)) {
            dialogs.message(kUnknownError);
            return kReadAbandoned;
        }
        askReadQuestions(dialogs, fileName, status, read, photonEnergyTyped);
        finishSpectrum(read);
    } catch (const Abandon&) {
        return kReadAbandoned;
    } catch (const std::exception&) {
        dialogs.message(kUnknownError);
        return kReadAbandoned;
    }
    read.fileName = fileName;
    module.spectrum = std::move(read);
    // A freshly read file is saved data, unless the typed photon energy changed its scale.
    module.dataSaved = !photonEnergyTyped;
    if (module.configLoaded && offerPeakShift(module.configuration, module.spectrum, dialogs)) {
        module.configSaved = false;
    }
    return kReadDone;
}

bool OpenData(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
              const std::string& fileName)
{
    // For a region the file is what must exist: "survey.vms#2" is region 2 of survey.vms.
    const std::string file = splitDataName(module, fileName).file;
    if (!std::filesystem::is_regular_file(resolvedName(module, file))) {
        dialogs.message(doesNotExistMessage(file));
        return false;
    }
    if (const auto problem = regionProblem(module, fileName)) {
        dialogs.message(*problem);
        return false;
    }
    if (ReadData(module, dialogs, loader, fileName) != kReadDone) {
        return false;
    }
    module.dataLoaded = true;
    discardFit(module.fitResults);
    module.calculationDone = false;
    module.calculationSaved = true;
    module.plot.plotType = 0;
    module.zoom = ZoomBackup{};
    menu.saveAsData.enabled = true;
    menu.plotItems[0].enabled = true;
    for (std::size_t item = 1; item < menu.plotItems.size(); ++item) {
        menu.plotItems[item].enabled = false;
    }
    return true;
}

bool OpenAllFilesData(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu)
{
    const std::optional<std::string> name = lastDataName(module.startDirectory);
    if (!name) {
        // Without a remembered name the memory file itself is what is missing.
        dialogs.message(doesNotExistMessage(memoryFileName(module.startDirectory, kLastDataFile)));
        return false;
    }
    return OpenData(module, dialogs, loader, menu, *name);
}

bool SaveDataAs(Module1& module, Dialogs& dialogs, LibraryLoader& loader, MenuState& menu,
                const std::string& fileName)
{
    std::string previous = std::exchange(module.spectrum.fileName, fileName);
    if (!WriteData(module, dialogs, loader)) {
        module.spectrum.fileName = std::move(previous);
        return false;
    }
    module.dataSaved = true;
    menu.saveAsData.checked = true;
    // A name that cannot be remembered costs only the next proposal; the data are written.
    rememberDataName(module.startDirectory, fileName);
    return true;
}

bool WriteData(const Module1& module, Dialogs& dialogs, LibraryLoader& loader)
{
    const Spectrum& s = module.spectrum;
    const std::string name = resolvedName(module, s.fileName);
    const int32_t binding = s.binding ? 1 : 0;
    const double hmu = s.binding ? s.hmu : 0.0;
    const int32_t rows = std::max(s.nh, 1);
    std::vector<int32_t> codes = s.headerCodes;
    codes.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(s.headerWidth),
                 kBlankCode);
    std::replace(codes.begin(), codes.end(), 0, kBlankCode);
    // The program's energies are kinetic; WOLDEK turns them back for a binding-energy file.
    int32_t status = kStatusOk;
    try {
        const auto woldek = loader.routine<WoldekFunction>("woldek");
        woldek(name.c_str(), length(name), &s.np, s.energy.data(), s.counts.data(), &binding, &hmu,
               &s.nh, &s.headerWidth, &rows, codes.data(), &status);
    } catch (const std::exception&) {
        dialogs.message("Error in call to woldek.dll - or dll not found");
        return false;
    }
    if (status > 0) {
        dialogs.message("Error return from woldek.dll - incorrect write of data");
        return false;
    }
    return true;
}

std::optional<std::string> photonEnergyPanel(const Spectrum& spectrum)
{
    if (!spectrum.binding) {
        return std::nullopt;
    }
    std::string text = "Photon Energy : ";
    text.append(formatNumber(spectrum.hmu, "0.000")).append(" eV  ");
    return text;
}

void enableUnsavedSaves(const Module1& module, MenuState& menu)
{
    if (!module.dataSaved) {
        menu.saveAsData.enabled = true;
    }
    if (!module.configSaved) {
        (module.configIsNew ? menu.saveAsConfiguration : menu.saveConfiguration).enabled = true;
    }
}

std::string resolvedName(const Module1& module, const std::string& fileName)
{
    // Resolving here spares a change of the whole process's current directory.
    const std::filesystem::path path(fileName);
    if (path.is_absolute() || module.startDirectory.empty()) {
        return fileName;
    }
    return (std::filesystem::path(module.startDirectory) / path).string();
}

bool offerPeakShift(Configuration& configuration, const Spectrum& spectrum, Dialogs& dialogs)
{
    if (!(configuration.hmuConfig > 0.0 && spectrum.binding)) {
        return false;
    }
    const double d = spectrum.hmu - configuration.hmuConfig;
    if (std::abs(d) <= kPhotonEnergyTolerance) {
        return false;
    }
    std::string question = "Photon energy HMU in Data File = ";
    question.append(formatNumber(spectrum.hmu)).append("\n");
    question.append("Photon energy HMUConfig in Config File = ");
    question.append(formatNumber(configuration.hmuConfig)).append("\n");
    question.append("Update peak positions in Config Data by HMU-HMUConfig ?");
    if (!dialogs.askYesNo(question, DefaultButton::YesOrOk)) {
        return false;
    }
    addToPeakPositions(configuration, d);
    configuration.hmuConfig = spectrum.hmu;
    return true;
}

void addToPeakPositions(Configuration& configuration, double amount)
{
    for (int32_t peak = 0; peak < configuration.nds; ++peak) {
        configuration.p[static_cast<std::size_t>(kParametersPerPeak * peak)] += amount;
    }
}

std::optional<double> typedEnergyAmount(std::string_view typedAmount)
{
    const std::optional<double> typed = parseNumber(typedAmount);
    if (!typed) {
        return std::nullopt;
    }
    const double amount = static_cast<float>(*typed);
    if (!std::isfinite(amount)) {
        return std::nullopt;
    }
    return amount;
}

bool ShiftExperimentalEnergies(Module1& module, std::string_view typedAmount)
{
    const std::optional<double> amount = typedEnergyAmount(typedAmount);
    if (!amount) {
        return false;
    }
    for (double& e : module.spectrum.energy) {
        e += *amount;
    }
    // The full spectrum behind a zoom moves with it, or a later zoom or Reset would undo the
    // shift.
    for (double& e : module.zoom.energy) {
        e += *amount;
    }
    module.dataSaved = false;
    return true;
}

std::string headerWindowText(const Spectrum& spectrum)
{
    std::string text;
    for (const std::string& line : spectrum.headerLines) {
        text.append(line).append("\r\n");
    }
    return text;
}

namespace {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line.push_back(c);
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lines.push_back(std::move(line));
        line.clear();
    }
    // The window ends every line with a break, so an empty rest after the last one is no line.
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

HeaderTransfer transferHeaderText(std::string_view text)
{
    const bool addMarks = !(text.starts_with('\r') || text.starts_with('\n'));
    HeaderTransfer transfer;
    for (std::string line : splitLines(text)) {
        line.erase(line.find_last_not_of(' ') + 1);
        if (addMarks && !line.empty() && !line.starts_with(';')) {
            std::string marked(1, ';');
            line = std::move(marked.append(line));
        }
        // Checked as stored: a code row holds kHeaderWidth characters and no more.
        if (std::cmp_greater(line.size(), kHeaderWidth)) {
            std::string message = "String length is greater than";
            message.append(std::to_string(kHeaderWidth))
                .append("characters - string will be truncated");
            transfer.message = std::move(message);
            break;
        }
        transfer.lines.push_back(std::move(line));
    }
    const auto rows = static_cast<int32_t>(std::max<std::size_t>(transfer.lines.size(), 1));
    transfer.codes.assign(static_cast<std::size_t>(rows * kHeaderWidth), kBlankCode);
    for (std::size_t row = 0; row < transfer.lines.size(); ++row) {
        const std::string& line = transfer.lines[row];
        for (std::size_t column = 0; column < line.size(); ++column) {
            transfer.codes[row + static_cast<std::size_t>(rows) * column] =
                static_cast<unsigned char>(line[column]);
        }
    }
    return transfer;
}

void applyHeaderTransfer(Module1& module, const HeaderTransfer& transfer)
{
    Spectrum& s = module.spectrum;
    s.nh = static_cast<int32_t>(transfer.lines.size());
    s.headerWidth = kHeaderWidth;
    s.headerCodes = transfer.codes;
    s.headerLines = transfer.lines;
    module.dataSaved = false;
}

}  // namespace varnix::app
