// The batch fitter's command line: what it is asked to do, or why the request is unusable.
#pragma once

#include "core/fit/batch_fit.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace varnix::batch {

struct Options {
    app::BatchSetup setup;           // startDirectory is left to the caller
    std::vector<std::string> names;  // spectra given on the command line; "-" reads stdin
    std::vector<std::string> lists;  // list files, one name a line; "-" is standard input
    std::optional<std::string> out;  // none: standard output
    bool csv = false;
    std::optional<int32_t> threads;
    bool help = false;
};

// A command line that cannot be run; the text says why.
struct UsageError {
    std::string message;
};

// argv without the program's name.
std::variant<Options, UsageError> parseArguments(const std::vector<std::string>& arguments);

// The names of a list: one a line, line ends CR LF or LF, blank lines skipped. A name keeps its
// inner and leading blanks, since file names may hold them.
std::vector<std::string> readNameList(std::istream& in);

// The --help text, with the rules by which the program's questions are answered.
std::string helpText();

}  // namespace varnix::batch
