// The files the program writes for people and for other programs: the calculated spectra
// (".cal", ".cex"; HALMOR) and the three text reports (configuration "_config.txt", MIRDAX;
// results "_results.txt", LURVEN; correlation matrix "_corr.txt", QUENDAL).
//
// The calculated spectra are columns for plotting programs, every number in the shortest form
// that reads back exactly. The reports are aligned tables for a lab book; their numbers are
// fixed-point with six decimals (scientific with seven significant digits when that would
// hide digits), and a value that is not finite is printed as "-".
#pragma once

#include "configuration.h"
#include "varnix_io.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnix::io {

// The spectra the program passes to HALMOR; every span holds np values except components,
// np × ncomp stored column by column. Counts and residuals are written only with the data.
struct CalculatedSpectra {
    std::span<const double> energy;
    std::span<const double> calculated;
    std::span<const double> components;
    int32_t ncomp = 0;
    bool withData = false;
    std::span<const double> counts;
    std::span<const double> residuals;
    int32_t residualScale = 0;
};

std::string formatCalculatedSpectra(const CalculatedSpectra& spectra);

// The title block every report starts with.
struct ReportHeading {
    std::string title;
    std::string fileLabel;  // "Configuration file" or "Data file"
    std::string fileName;
    std::string date;
    std::string time;
};

std::string formatConfigurationReport(const ConfigurationData& config,
                                      const ReportHeading& heading);

// What LURVEN receives: parameters, their σ and varied flags (link states) over 5·nds + nbg
// entries, areas and widths over nds, the peaks' figures over kLurvenPeakFigures · nds in the
// order varnix_io.h gives; NaN where a value is not known.
struct FitResultsSummary {
    double hmu = 0.0;
    double r = 0.0;
    int32_t nds = 0;
    int32_t nbg = 0;
    std::span<const double> parameters;
    std::span<const int32_t> varied;
    std::span<const double> areas;
    std::span<const double> widths;
    std::span<const double> sigmas;
    std::span<const double> peakFigures;
    double chiSquare = 0.0;
    int32_t np = 0;
    int32_t nfree = 0;
    double conditionNumber = 0.0;
    double correlationCondition = 0.0;
    std::string diagnosis;
};

std::string formatResultsReport(const FitResultsSummary& results, const ReportHeading& heading);

// Each area as a percentage of the sum of all areas; nothing for every peak when that sum is
// not a positive finite number, since no share of it means anything then.
std::vector<std::optional<double>> areaPercentages(std::span<const double> areas);

// The nfree × nfree correlation matrix (column by column) with the names of the free
// parameters as row and column labels.
std::string formatCorrelationReport(std::span<const double> correlations,
                                    const std::vector<std::string>& freeNames,
                                    const ReportHeading& heading);

// A report number: fixed-point with six decimals, scientific when fixed-point would lose
// significant digits or grow wide, "-" when not finite.
std::string reportNumber(double value);

}  // namespace varnix::io
