// KELSOP: writes the fit controls that JUNDRA reads, every value exactly.
#include "atomic_file.h"
#include "settings.h"
#include "text.h"
#include "varnix_io.h"

void KELSOP(const int32_t* maxit, const double* rmin, const double* lambda,
            const double* lambdaFac, const int32_t* maxLambdaIterations,
            const double* simpsonEps, const int32_t* maxSimpsonIterations,
            const double* integrationRange, const char* fileName, int32_t fileNameLength,
            int32_t* status)
{
    using namespace varnix::io;
    if (status == nullptr) {
        return;
    }
    *status = kWriteBadArguments;
    try {
        const std::string path = fromBuffer(fileName, fileNameLength);
        if (maxit == nullptr || rmin == nullptr || lambda == nullptr || lambdaFac == nullptr
            || maxLambdaIterations == nullptr || simpsonEps == nullptr
            || maxSimpsonIterations == nullptr || integrationRange == nullptr || path.empty()) {
            return;
        }
        const FitControls controls{*maxit,      *rmin,       *lambda,
                                   *lambdaFac,  *maxLambdaIterations,
                                   *simpsonEps, *maxSimpsonIterations,
                                   *integrationRange};
        if (fitControlsWritable(controls)) {
            *status = writeFileAtomically(path, formatFitControls(controls));
        }
    } catch (...) {
        *status = kWriteFailed;
    }
}
