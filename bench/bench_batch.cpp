// Writes the batch benchmark's series: N synthetic spectra of 601 points, the same four peaks
// with Poisson noise from seeds 1 … N, in the program's data layout, with their list, the
// configuration at the generator's start values and those values alone for the lmfit loop.
//
//   varnix-bench-batch DIR N
//
// bench/run_batch_benchmark.sh times varnix-fit and the lmfit loop on what it writes.
#include "synthetic_spectrum.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int32_t kPoints = 601;

std::string exact(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void writeSpectrum(const std::filesystem::path& file, const varnix::reference::SyntheticSpectrum& s)
{
    std::ofstream out(file);
    out << "; batch benchmark spectrum\nenergy_scale kinetic\n";
    for (std::size_t i = 0; i < s.energies.size(); ++i) {
        out << exact(s.energies[i]) << "\t" << exact(s.counts[i]) << "\n";
    }
}

void writeConfiguration(const std::filesystem::path& file, const std::vector<double>& values)
{
    std::ofstream out(file);
    out << "Varnix configuration 1\nNDS 4\nNBG 2\nHMUConfig 0\n";
    const char* kinds[] = {"Pos", "Height", "LFWHM", "Alpha", "GFWHM"};
    for (std::size_t k = 0; k < 20; ++k) {
        out << kinds[k % 5] << k / 5 + 1 << " " << exact(values[k]) << " 0 " << k + 1 << " 0 0\n";
    }
    out << "a0 " << exact(values[20]) << "\na1 " << exact(values[21]) << "\na2 0\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: varnix-bench-batch DIR N\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const long count = std::strtol(argv[2], nullptr, 10);
    std::filesystem::create_directories(folder);
    std::ofstream list(folder / "list.txt");
    std::vector<double> start;
    for (long n = 1; n <= count; ++n) {
        const varnix::reference::SyntheticSpectrum s =
            varnix::reference::makeSyntheticSpectrum(kPoints, static_cast<uint64_t>(n));
        char name[32];
        std::snprintf(name, sizeof name, "s%05ld.dat", n);
        writeSpectrum(folder / name, s);
        list << name << "\n";
        start = s.startParameters;
    }
    writeConfiguration(folder / "model.cfg", start);
    std::ofstream values(folder / "start.txt");
    for (const double v : start) {
        values << exact(v) << "\n";
    }
    return 0;
}
