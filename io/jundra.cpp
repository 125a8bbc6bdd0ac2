// JUNDRA: reads the fit controls. The arguments keep the values they came with unless the
// whole file is valid, so the program can fall back to its defaults.
#include "settings.h"
#include "text.h"
#include "varnix_io.h"

#include <optional>

void JUNDRA(int32_t* maxit, double* rmin, double* lambda, double* lambdaFac,
            int32_t* maxLambdaIterations, double* simpsonEps, int32_t* maxSimpsonIterations,
            double* integrationRange, const char* fileName, int32_t fileNameLength,
            int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    if (maxit == nullptr || rmin == nullptr || lambda == nullptr || lambdaFac == nullptr
        || maxLambdaIterations == nullptr || simpsonEps == nullptr
        || maxSimpsonIterations == nullptr || integrationRange == nullptr) {
        *status = kSettingsBadArguments;
        return;
    }
    try {
        const std::optional<std::string> text = readFile(fromBuffer(fileName, fileNameLength));
        if (!text) {
            *status = kSettingsUnreadable;
            return;
        }
        FitControls c;
        *status = parseFitControls(*text, c);
        if (*status == kSettingsOk) {
            *maxit = c.maxit;
            *rmin = c.rmin;
            *lambda = c.lambda;
            *lambdaFac = c.lambdaFac;
            *maxLambdaIterations = c.maxLambdaIterations;
            *simpsonEps = c.simpsonEps;
            *maxSimpsonIterations = c.maxSimpsonIterations;
            *integrationRange = c.integrationRange;
        }
    } catch (...) {
        *status = kSettingsUnreadable;
    }
}
