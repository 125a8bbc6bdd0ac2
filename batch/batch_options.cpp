#include "batch_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <string_view>

namespace varnix::batch {

namespace {

std::optional<double> finiteNumber(const std::string& text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> threadCount(const std::string& text)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < 1) {
        return std::nullopt;
    }
    return value;
}

// An option that takes a value; returns the reason it is unusable, or nothing.
using ValueOption = std::function<std::optional<std::string>(Options&, const std::string&)>;

std::optional<std::string> choice(const std::string& value, std::string_view keep,
                                  std::string_view fail, bool& flag, std::string_view option)
{
    if (value != keep && value != fail) {
        return std::string(option) + " takes " + std::string(keep) + " or " + std::string(fail);
    }
    flag = value == keep;
    return std::nullopt;
}

const std::map<std::string, ValueOption, std::less<>>& valueOptions()
{
    static const std::map<std::string, ValueOption, std::less<>> options = {
        {"--config",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.setup.configurationFile = v;
             return std::nullopt;
         }},
        {"--controls",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.setup.controlsFile = v;
             return std::nullopt;
         }},
        {"--list",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.lists.push_back(v);
             return std::nullopt;
         }},
        {"--out",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.out = v;
             return std::nullopt;
         }},
        {"--write-calc",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.setup.calculationFolder = v;
             return std::nullopt;
         }},
        {"--threads",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             o.threads = threadCount(v);
             return o.threads ? std::nullopt
                              : std::optional<std::string>("--threads takes a whole number >= 1");
         }},
        {"--photon-energy",
         [](Options& o, const std::string& v) -> std::optional<std::string> {
             if (!finiteNumber(v)) {
                 return "--photon-energy takes a number of eV";
             }
             o.setup.rules.photonEnergy = v;
             return std::nullopt;
         }},
        {"--on-read-error",
         [](Options& o, const std::string& v) {
             return choice(v, "use", "fail", o.setup.rules.useDataBeforeReadError,
                           "--on-read-error");
         }},
        {"--zero-last-energy",
         [](Options& o, const std::string& v) {
             return choice(v, "drop", "fail", o.setup.rules.dropZeroLastPoint,
                           "--zero-last-energy");
         }},
    };
    return options;
}

// A switch; false when `argument` is none.
bool applySwitch(Options& o, std::string_view argument)
{
    if (argument == "--chain") {
        o.setup.chain = true;
    } else if (argument == "--uncertainties") {
        o.setup.uncertainties = true;
    } else if (argument == "--csv") {
        o.csv = true;
    } else if (argument == "--shift-peaks") {
        o.setup.rules.shiftPeaksToPhotonEnergy = true;
    } else if (argument == "--help" || argument == "-h") {
        o.help = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::variant<Options, UsageError> parseArguments(const std::vector<std::string>& arguments)
{
    Options o;
    bool namesOnly = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (namesOnly || argument == "-" || !argument.starts_with("-")) {
            o.names.push_back(argument);
            continue;
        }
        if (argument == "--") {
            namesOnly = true;
            continue;
        }
        if (applySwitch(o, argument)) {
            continue;
        }
        std::optional<std::string> value;
        if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        const auto option = valueOptions().find(argument);
        if (option == valueOptions().end()) {
            return UsageError{"unknown option " + argument};
        }
        if (!value && i + 1 == arguments.size()) {
            return UsageError{argument + " needs a value"};
        }
        if (std::optional<std::string> fault = option->second(o, value ? *value : arguments[++i])) {
            return UsageError{*fault};
        }
    }
    if (o.help) {
        return o;
    }
    if (o.setup.configurationFile.empty()) {
        return UsageError{"no configuration: --config FILE is required"};
    }
    if (o.names.empty() && o.lists.empty()) {
        return UsageError{"no spectra: name them, give --list FILE, or - for standard input"};
    }
    return o;
}

std::vector<std::string> readNameList(std::istream& in)
{
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") != std::string::npos) {
            names.push_back(line);
        }
    }
    return names;
}

std::string helpText()
{
    return R"(Usage: varnix-fit --config FILE [options] [SPECTRUM... | -]

Fits one configuration to many spectra with the desktop program's own fit, one after another,
and writes one line per spectrum. Spectra are data files, "<file>#<n>" for spectrum n of a file
that holds several, names listed in files (--list), or names read from standard input (-).

Options:
  --config FILE          the configuration (.cfg) fitted to every spectrum (required)
  --controls FILE        fit controls in the FitFile.dat layout (default: the program's defaults)
  --list FILE            read spectrum names from FILE, one a line ("-": standard input)
  --chain                start each fit from the previous fitted values InitPar accepts
                         (default: every fit starts from the configuration)
  --out FILE             write the lines to FILE (default: standard output)
  --csv                  one CSV row per spectrum under a header row, instead of JSON Lines
  --write-calc DIR       write each spectrum's calculated spectra with its data (.cex) into DIR
  --uncertainties        give each peak's figures with their standard deviations, as the
                         results window shows them; eleven engine calls more per spectrum
                         (the bundled four-peak example: 1.2 s more than its 0.1 s fit)
  --threads N            threads of the engine within one fit (default: OMP_NUM_THREADS, else
                         every core); results are identical for any N
  --photon-energy EV     photon energy for binding-energy files that do not state one
  --on-read-error use|fail     a read error after some points: use the points read (default)
  --zero-last-energy drop|fail a last point at energy 0: drop it (default)
  --shift-peaks          move the peaks by the difference between the spectrum's photon energy
                         and the configuration's (default: leave them)
  -h, --help             this text

How the program's questions are answered (each answer is recorded in the spectrum's line):
  "Enter photon energy"                       the --photon-energy value; without it the
                                              spectrum fails with the program's message
  "Warning - error in reading data after..."  Yes, unless --on-read-error fail
  "Warning - last energy is zero..."          OK, unless --zero-last-energy fail
  "Photon energy HMU in Data File = ..."      No, unless --shift-peaks
  "Error in matrix inversion - Continue?"     Yes
  "Convergence failure in Lambda - Continue?" Yes
  "... Not Saved - Continue Exit Anyway?"     Yes: what would end the desktop program fails
                                              that spectrum alone, and nothing is saved
A fit that stops at MAXIT counts as fitted, with the program's warning in its message.

Output: one JSON object per line with name, file, region, status (fitted, read_failed,
refused, fit_failed, write_failed), message, answers, energy_scale, photon_energy, iterations,
stop (r_below_rmin, r_increased, delta_r_below_rmin, maxit), chi2, r, condition, parameters
(name, value, link, sigma; null where undefined), peaks (area, width, and with --uncertainties
area_sigma, share, share_sigma, width_sigma, maximum, maximum_sigma, maximum_energy,
maximum_energy_sigma, width_at_maximum, width_at_maximum_sigma; null without), np, nfree,
correlation_condition and diagnosis (the combination of parameters the data leave
undetermined; null when none). Positions and energies of binding-energy spectra are binding
energies, as the results window shows them.

Exit status: 0 every spectrum fitted, 1 some failed, 2 usage error or unreadable configuration.
)";
}

}  // namespace varnix::batch
