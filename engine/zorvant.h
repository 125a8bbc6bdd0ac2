// The fit engine's exported entry, ZORVANT.
//
// One routine, 32 arguments, every one by reference; arrays are contiguous and column-major,
// and the indices stored in them (the correlated-with targets) count from 1. The caller
// dimensions every array to exactly its size: components NP × NCOMP, error matrix
// NFREE × NFREE, areas and widths NDS, the parameter and link arrays NPAR.
//
// Modes: 0 calculates model and components; 1 performs one Levenberg–Marquardt iteration and
// returns the accepted parameters, λ, chi-square, error matrix, areas and widths; 2 returns
// the error matrix and the condition number for the λ passed in (0 at the end of a fit).
//
// Lambda status: 0 success; 1 Max Lambda Iterations trials without a decrease of χ²;
// 2 λ exceeded 1e30; 3 the call did nothing because its work storage could not be obtained or
// the counts contradict each other (NPAR ≠ 5·NDS + NBG, NFREE ≠ the number of free link
// states, no component column for the background): every other argument is left as it was.
// Inversion status (modes 1 and 2): 0 solved, 1 singular matrix; after a singular matrix in
// mode 1 the parameters, model and components are those the call started from, and so is the
// chi-square.
#pragma once

#include <cstdint>

extern "C" __attribute__((visibility("default"))) void ZORVANT(
    const int32_t* np, const double* energies, const double* counts, const double* sigmas,
    const int32_t* npar, const int32_t* nds, const int32_t* nbg, const int32_t* ncomp,
    double* parameters, double* model, double* components, double* errorMatrix, double* lambda,
    const double* lambdaFac, const int32_t* maxLambdaIterations, double* chiSquare,
    double* sumSquaredCounts, const double* simpsonEps, const int32_t* maxSimpsonIterations,
    int32_t* inversionStatus, int32_t* lambdaStatus, const int32_t* mode, double* areas,
    double* widths, int32_t* spare, const int32_t* nfree, const int32_t* linkStates,
    const int32_t* correlatedWith, const double* factors, const double* integrationRange,
    const int32_t* linkModes, double* conditionNumber);

// The type the application's loader casts the resolved symbol to.
using ZorvantFunction = decltype(&ZORVANT);
