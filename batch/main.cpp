// varnix-fit: the batch fitter. Reads the command line, fits every spectrum named through the
// desktop program's own commands (app/core/fit/batch_fit.h) and writes one line per spectrum.
#include "batch_options.h"
#include "batch_output.h"

#include "core/fit/batch_fit.h"
#include "core/session/library_loader.h"

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

namespace {

using namespace varnix;

constexpr int kAllFitted = 0;
constexpr int kSomeFailed = 1;
constexpr int kUsageError = 2;

int usageError(const std::string& message)
{
    std::cerr << "varnix-fit: " << message << "\nTry 'varnix-fit --help'.\n";
    return kUsageError;
}

// The names in the order given: those on the command line, "-" and list files in place.
std::optional<std::vector<std::string>> spectrumNames(const batch::Options& options)
{
    std::vector<std::string> names;
    auto take = [&names](std::istream& in) {
        for (std::string& name : batch::readNameList(in)) {
            names.push_back(std::move(name));
        }
    };
    for (const std::string& name : options.names) {
        if (name == "-") {
            take(std::cin);
        } else {
            names.push_back(name);
        }
    }
    for (const std::string& list : options.lists) {
        if (list == "-") {
            take(std::cin);
            continue;
        }
        std::ifstream in(list);
        if (!in) {
            usageError(list + ": cannot read the list of spectra");
            return std::nullopt;
        }
        take(in);
    }
    return names;
}

// Spectra done, failed, rate and time left, on one line of a terminal.
class Progress {
public:
    explicit Progress(std::size_t total) : m_total(total), m_shown(isatty(STDERR_FILENO) == 1) {}

    void update(std::size_t done, std::size_t failed)
    {
        if (!m_shown) {
            return;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
        const double left = rate > 0.0 ? static_cast<double>(m_total - done) / rate : 0.0;
        std::fprintf(stderr, "\r%zu/%zu done, %zu failed, %.1f spectra/s, %.0f s left   ", done,
                     m_total, failed, rate, left);
        if (done == m_total) {
            std::fputc('\n', stderr);
        }
    }

private:
    std::size_t m_total;
    bool m_shown;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

int run(const batch::Options& options, const std::vector<std::string>& names, std::ostream& out)
{
    app::BatchSetup setup = options.setup;
    setup.startDirectory = std::filesystem::current_path().string();
    app::LibraryLoader loader;
    std::optional<app::BatchFitter> fitter;
    try {
        fitter.emplace(setup, loader);
    } catch (const app::BatchSetupError& error) {
        std::cerr << "varnix-fit: " << error.what() << "\n";
        return kUsageError;
    }
    if (options.csv) {
        out << batch::csvHeader(fitter->configuration()) << "\n";
    }
    Progress progress(names.size());
    std::size_t failed = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const app::SpectrumResult result = fitter->fit(names[i]);
        out << (options.csv ? batch::csvRow(result, fitter->configuration())
                            : batch::jsonLine(result))
            << std::endl;
        if (result.status != app::SpectrumStatus::Fitted) {
            ++failed;
            // On a terminal the message replaces the progress line, which follows it again.
            std::cerr << (isatty(STDERR_FILENO) == 1 ? "\r\x1b[K" : "")
                      << "varnix-fit: " << result.name << ": " << batch::statusName(result.status)
                      << ": " << (result.messages.empty() ? "" : result.messages.back()) << "\n";
        }
        progress.update(i + 1, failed);
    }
    return failed == 0 ? kAllFitted : kSomeFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = batch::parseArguments(arguments);
    if (const auto* error = std::get_if<batch::UsageError>(&parsed)) {
        return usageError(error->message);
    }
    const batch::Options& options = std::get<batch::Options>(parsed);
    if (options.help) {
        std::cout << batch::helpText();
        return kAllFitted;
    }
    // The engine's threads are OpenMP's, which reads this when the engine is first loaded.
    if (options.threads) {
        setenv("OMP_NUM_THREADS", std::to_string(*options.threads).c_str(), 1);
    }
    const std::optional<std::vector<std::string>> names = spectrumNames(options);
    if (!names) {
        return kUsageError;
    }
    if (!options.out) {
        return run(options, *names, std::cout);
    }
    std::ofstream file(*options.out);
    if (!file) {
        return usageError(*options.out + ": cannot write the output");
    }
    const int status = run(options, *names, file);
    file.close();
    if (!file) {
        std::cerr << "varnix-fit: " << *options.out << ": the output could not be written\n";
        return kSomeFailed;
    }
    return status;
}
