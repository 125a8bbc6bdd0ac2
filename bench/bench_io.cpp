// varnix-bench-io: writes and reads a 1,000,000-point spectrum in the program's own layout
// through the data routines exactly as the program calls them (WOLDEK; TESSOR, then KAPRIL
// with arrays sized from it) and prints the seconds each takes. Target: under 1 s each.
//
//   varnix-bench-io [points] [folder]     defaults: 1000000 and the temporary folder
//
// The spectrum is on the binding scale with a photon energy and three header lines, so the
// write converts every energy and the read goes through format detection, as real use does.
// Each figure is the best of three runs; it is also printed as a `RESULT key=value` line.

#include "varnix_io.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int32_t np = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1'000'000;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    const std::string path = (folder / "varnix-bench-io.dat").string();
    const auto pathLength = static_cast<int32_t>(path.size());

    // Kinetic energies on an irregular grid and Poisson-like counts, so that the numbers have
    // the full number of digits real data have after a conversion.
    const double hmu = 1486.6;
    std::vector<double> energy(static_cast<std::size_t>(np)), counts(energy.size());
    for (std::size_t i = 0; i < energy.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(np);
        energy[i] = 200.0 + 1000.0 * x + 1e-4 * std::sin(37.0 * x);
        counts[i] = std::floor(5000.0 + 4000.0 * std::sin(100.0 * x));
    }
    const int32_t binding = 1, nh = 3, width = 100, rows = 3;
    std::vector<int32_t> codes(static_cast<std::size_t>(rows * width), 32);
    for (int32_t r = 0; r < rows; ++r) {
        codes[static_cast<std::size_t>(r)] = 'A' + r;
    }

    double bestWrite = 1e300, bestRead = 1e300;
    int32_t failures = 0;
    for (int run = 0; run < 3; ++run) {
        int32_t status = -1;
        auto start = Clock::now();
        WOLDEK(path.data(), pathLength, &np, energy.data(), counts.data(), &binding, &hmu, &nh,
               &width, &rows, codes.data(), &status);
        bestWrite = std::min(bestWrite, secondsSince(start));
        failures += status != 0 ? 1 : 0;

        start = Clock::now();
        int32_t readNp = 0, readNh = 0, flag = 0, readBinding = 0;
        double readHmu = 0.0;
        TESSOR(path.data(), pathLength, &readNp, &readNh, &flag, &status);
        failures += status != 0 || readNp != np ? 1 : 0;
        const int32_t readRows = std::max(readNh, 1);
        const int32_t readWidth = readNh > 0 ? width : 1;
        std::vector<double> e(static_cast<std::size_t>(readNp)), c(e.size());
        std::vector<int32_t> h(static_cast<std::size_t>(readRows * readWidth));
        KAPRIL(&readNp, &readRows, &readNh, &readWidth, e.data(), c.data(), h.data(),
               path.data(), pathLength, &flag, &readHmu, &readBinding, &status);
        bestRead = std::min(bestRead, secondsSince(start));
        failures += status != 0 || readNp != np || e.back() != hmu - energy.back() ? 1 : 0;
    }
    const auto bytes = std::filesystem::file_size(path);
    std::filesystem::remove(path);

    std::printf("%d points, %.1f MB file in %s\n", np, static_cast<double>(bytes) / 1e6,
                folder.string().c_str());
    std::printf("  write (WOLDEK)          %.3f s\n", bestWrite);
    std::printf("  read (TESSOR + KAPRIL)  %.3f s\n", bestRead);
    std::printf("RESULT io_points=%d write_s=%.4f read_s=%.4f failures=%d\n", np, bestWrite,
                bestRead, failures);
    return failures == 0 ? 0 : 1;
}
