// The thirteen file routines, one per shared library (lib<name>.so exporting <NAME>).
//
// Every argument is passed by reference except string lengths, which follow their string by
// value. Strings are character buffers of the given length (blank-padded; a NUL also ends
// them). Arrays are contiguous and column-major; indices stored in them count from 1. A status
// argument is 0 on success. Every writer writes a temporary file beside the target (for a
// symbolic link, beside the file at the end of the link, which stays a link) and renames
// it over the target only when the whole write succeeded; its statuses are 1 (the folder is
// missing or cannot be written), 2 (the write failed on the way, a full disk say), 3 (the
// target cannot be replaced, a folder say) and 4 (arguments it refuses to write, such as a
// NaN); after any of them the previous file is as it was. Readers' statuses are listed per
// routine. No routine keeps state between calls, and none throws.
#pragma once

#include <cstdint>

#define VARNIX_IO_ENTRY extern "C" __attribute__((visibility("default")))

// Settings "fini.dat": the data and configuration file extensions (3 characters each) and the
// five colours (RGB as int32: text, window background, text box background, button
// background, option background). Status 1: missing or unreadable file, 2: malformed content;
// the arguments then keep the values they came with.
VARNIX_IO_ENTRY void NOSTEL(char* dataExtension, int32_t dataExtensionLength,
                            char* configExtension, int32_t configExtensionLength,
                            int32_t* colours, const int32_t* colourCount, const char* fileName,
                            int32_t fileNameLength, int32_t* status);
// Writes the settings. Status > 0: not written, the previous file unchanged.
VARNIX_IO_ENTRY void PARVIK(const char* dataExtension, int32_t dataExtensionLength,
                            const char* configExtension, int32_t configExtensionLength,
                            const int32_t* colours, const int32_t* colourCount,
                            const char* fileName, int32_t fileNameLength, int32_t* status);

// Data file dimensions: points NP, header lines NH, photon-energy flag (1: the file holds
// binding energies and states the photon energy). Status 1 (NP = 0): the file or its header
// cannot be read; status 2: the data break off after NP points (NP may be 0). Of a file that
// holds several spectra, the name "<file>#<n>" reads the n-th (1-based; common/region_name.h),
// and a plain name the first on an energy axis; a number that names no spectrum on an energy
// axis with points gives status 1. KAPRIL reads the same spectrum.
VARNIX_IO_ENTRY void TESSOR(const char* fileName, int32_t fileNameLength, int32_t* np,
                            int32_t* nh, int32_t* photonEnergyFlag, int32_t* status);
// Data file contents into arrays sized from TESSOR: at most NP points and NH header lines
// (NP and NH are set to what was read), header codes[headerRows × headerWidth] (character
// codes, 0 = none), the photon energy HMU and the binding flag. Status as TESSOR.
VARNIX_IO_ENTRY void KAPRIL(int32_t* np, const int32_t* headerRows, int32_t* nh,
                            const int32_t* headerWidth, double* energy, double* counts,
                            int32_t* headerCodes, const char* fileName, int32_t fileNameLength,
                            int32_t* photonEnergyFlag, double* hmu, int32_t* bindingFlag,
                            int32_t* status);
// Writes a data file in the program's own layout, energies on the file's own scale.
// Status > 0: not written, the previous file unchanged.
VARNIX_IO_ENTRY void WOLDEK(const char* fileName, int32_t fileNameLength, const int32_t* np,
                            const double* energy, const double* counts,
                            const int32_t* bindingFlag, const double* hmu, const int32_t* nh,
                            const int32_t* headerWidth, const int32_t* headerRows,
                            const int32_t* headerCodes, int32_t* status);

// Configuration reader. Mode 0 reads NDS and NBG only; mode 1 reads everything into arrays of
// arrayLength = 5·NDS entries: peak parameters p, background a[0..2], link state, partner,
// value and kind per peak parameter, and HMUConfig. Status 1: unreadable, 2: malformed,
// 3: impossible arguments; the out-arguments are then untouched.
VARNIX_IO_ENTRY void FENTAR(const int32_t* mode, int32_t* nds, int32_t* nbg,
                            const int32_t* arrayLength, double* p, double* a,
                            int32_t* linkState, int32_t* linkPartner, double* linkValue,
                            int32_t* linkKind, double* hmuConfig, const char* fileName,
                            int32_t fileNameLength, int32_t* status);
// Configuration writer; hmu is stored as the file's HMUConfig. Status > 0: not written.
VARNIX_IO_ENTRY void GORSEL(const int32_t* peakParameterCount, const int32_t* nds,
                            const int32_t* nbg, const double* p, const double* a,
                            const int32_t* linkState, const int32_t* linkPartner,
                            const double* linkValue, const int32_t* linkKind, const double* hmu,
                            const char* fileName, int32_t fileNameLength, int32_t* status);

// Fit controls "FitFile.dat", in this order. JUNDRA reads (status 1: missing or unreadable,
// 2: malformed; the arguments then keep their values), KELSOP writes (status > 0: not
// written).
VARNIX_IO_ENTRY void JUNDRA(int32_t* maxit, double* rmin, double* lambda, double* lambdaFac,
                            int32_t* maxLambdaIterations, double* simpsonEps,
                            int32_t* maxSimpsonIterations, double* integrationRange,
                            const char* fileName, int32_t fileNameLength, int32_t* status);
VARNIX_IO_ENTRY void KELSOP(const int32_t* maxit, const double* rmin, const double* lambda,
                            const double* lambdaFac, const int32_t* maxLambdaIterations,
                            const double* simpsonEps, const int32_t* maxSimpsonIterations,
                            const double* integrationRange, const char* fileName,
                            int32_t fileNameLength, int32_t* status);

// Calculated spectra: kind 0 writes energy, calculated and components (".cal"); kind 1 adds
// counts and residuals (".cex"). There is no status argument: a failed write, or a value that
// is not finite, leaves the previous file, if any, as it was.
VARNIX_IO_ENTRY void HALMOR(const int32_t* np, const int32_t* ncomp, const double* energy,
                            const double* counts, const double* calculated,
                            const double* components, const int32_t* residualScale,
                            const double* residuals, const char* fileName,
                            int32_t fileNameLength, const int32_t* fileKind);

// Text reports, each with a dated title. Status > 0: not written.
VARNIX_IO_ENTRY void MIRDAX(const int32_t* peakParameterCount, const int32_t* nds,
                            const int32_t* nbg, const double* p, const double* a,
                            const int32_t* linkState, const int32_t* linkPartner,
                            const double* linkValue, const int32_t* linkKind,
                            const char* fileName, int32_t fileNameLength,
                            const char* configFileName, int32_t configFileNameLength,
                            const char* date, int32_t dateLength, const char* time,
                            int32_t timeLength, int32_t* status);
// LURVEN's arguments after the time text carry the uncertainties: the σ of every parameter
// [npar], the peaks' figures [kLurvenPeakFigures · nds, peak by peak], χ², NP, NFREE, the
// condition numbers of the error matrix and of the correlation matrix, and the diagnosis text
// (UTF-8). A value that is not known is NaN. A peak's figures, in order: σ of its area, σ of
// its share of the total area (a fraction), σ of its FWHM (at half the Height), its maximum
// and σ, the energy of the maximum (on the positions' scale) and σ, the full width at half
// the maximum and σ.
inline constexpr int32_t kLurvenPeakFigures = 9;
VARNIX_IO_ENTRY void LURVEN(const double* hmu, const double* r, const double* parameters,
                            const double* areas, const double* widths, const int32_t* varied,
                            const int32_t* npar, const int32_t* nds, const int32_t* nbg,
                            const char* fileName, int32_t fileNameLength, const char* dataFileName,
                            int32_t dataFileNameLength, const char* date, int32_t dateLength,
                            const char* time, int32_t timeLength, const double* sigmas,
                            const double* peakFigures, const double* chiSquare, const int32_t* np,
                            const int32_t* nfree, const double* conditionNumber,
                            const double* correlationCondition, const char* diagnosis,
                            int32_t diagnosisLength, int32_t* status);
VARNIX_IO_ENTRY void QUENDAL(const int32_t* nfree, const double* correlations,
                             const int32_t* peakParameterCount, const int32_t* nbg,
                             const int32_t* varied, const char* fileName,
                             int32_t fileNameLength, const char* dataFileName,
                             int32_t dataFileNameLength, const char* date, int32_t dateLength,
                             const char* time, int32_t timeLength, int32_t* status);

#undef VARNIX_IO_ENTRY

// The types the program's loader casts each resolved symbol to.
using NostelFunction = decltype(&NOSTEL);
using ParvikFunction = decltype(&PARVIK);
using TessorFunction = decltype(&TESSOR);
using KaprilFunction = decltype(&KAPRIL);
using WoldekFunction = decltype(&WOLDEK);
using FentarFunction = decltype(&FENTAR);
using GorselFunction = decltype(&GORSEL);
using JundraFunction = decltype(&JUNDRA);
using KelsopFunction = decltype(&KELSOP);
using HalmorFunction = decltype(&HALMOR);
using MirdaxFunction = decltype(&MIRDAX);
using LurvenFunction = decltype(&LURVEN);
using QuendalFunction = decltype(&QUENDAL);
