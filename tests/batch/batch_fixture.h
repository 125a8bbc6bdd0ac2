// Shared by the batch tests: a folder of spectra drawn from the independent reference model,
// written in the program's data layout by the test itself, and the example configuration.
#pragma once

#include "synthetic_spectrum.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnix::batch::test {

namespace fs = std::filesystem;

// Points per spectrum: the example's range, coarser, so that a series fits quickly even under
// the sanitizers.
inline constexpr int32_t kPoints = 201;

// The examples' photon energy for spectra written on the binding-energy scale.
inline constexpr double kPhotonEnergy = 1486.6;

inline std::string exact(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// How a spectrum is put on file.
enum class Scale {
    Kinetic,
    Binding,              // binding energies with the photon energy stated
    BindingWithoutPhoton  // binding energies, the photon energy left to the user
};

class SpectrumFolder {
public:
    SpectrumFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "varnix_batch_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    ~SpectrumFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    SpectrumFolder(const SpectrumFolder&) = delete;
    SpectrumFolder& operator=(const SpectrumFolder&) = delete;

    std::string file(const std::string& name) const { return (m_path / name).string(); }

    // The synthetic spectrum of `seed` as `name`; `extraLines` follow the points.
    std::string writeSpectrum(const std::string& name, const reference::SyntheticSpectrum& s,
                              Scale scale = Scale::Kinetic,
                              const std::string& extraLines = "") const
    {
        std::ofstream out(file(name));
        out << "; synthetic spectrum for the batch tests\n";
        out << (scale == Scale::Kinetic ? "energy_scale kinetic\n" : "energy_scale binding\n");
        if (scale == Scale::Binding) {
            out << "photon_energy " << exact(kPhotonEnergy) << "\n";
        }
        for (std::size_t i = 0; i < s.energies.size(); ++i) {
            const double e =
                scale == Scale::Kinetic ? s.energies[i] : kPhotonEnergy - s.energies[i];
            out << exact(e) << "\t" << exact(s.counts[i]) << "\n";
        }
        out << extraLines;
        return file(name);
    }

    // A configuration of four peaks on a linear background, every parameter varied, at
    // `values` (Pos1 … GFWHM4, a0, a1); `values` may set a peak parameter out of range.
    std::string writeConfiguration(const std::string& name, const std::vector<double>& values) const
    {
        std::ofstream out(file(name));
        out << "Varnix configuration 1\nNDS 4\nNBG 2\nHMUConfig 0\n";
        const char* kinds[] = {"Pos", "Height", "LFWHM", "Alpha", "GFWHM"};
        for (std::size_t k = 0; k < 20; ++k) {
            out << kinds[k % 5] << k / 5 + 1 << " " << exact(values[k]) << " 0 " << k + 1
                << " 0 0\n";
        }
        out << "a0 " << exact(values[20]) << "\na1 " << exact(values[21]) << "\na2 0\n";
        return file(name);
    }

    std::string writeText(const std::string& name, const std::string& text) const
    {
        std::ofstream(file(name)) << text;
        return file(name);
    }

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// The synthetic spectra, made once per seed and size: the independent model behind them is the
// slow part.
inline const reference::SyntheticSpectrum& synthetic(uint64_t seed, int32_t points = kPoints)
{
    static std::map<std::pair<uint64_t, int32_t>, reference::SyntheticSpectrum> made;
    const std::pair<uint64_t, int32_t> key(seed, points);
    auto found = made.find(key);
    if (found == made.end()) {
        found = made.emplace(key, reference::makeSyntheticSpectrum(points, seed)).first;
    }
    return found->second;
}

}  // namespace varnix::batch::test
