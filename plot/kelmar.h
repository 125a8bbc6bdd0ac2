// The plot library's exported entry, KELMAR.
//
// Draws one colour PostScript page, DIN A4 landscape, into the file `file`: the measured counts
// `y` as symbols, the calculated spectrum `yc` and each of the `nc` component columns of `c` as
// coloured lines, and, when `nr` is not 1, the `nr` residuals `r` (already scaled by the caller)
// as a dotted line, all against the energies `x` in the order given. Arrays are single
// precision and contiguous; `c` is n × nc, column-major. The three strings are not terminated:
// each is followed by its length, passed by value; every other argument is passed by reference.
//
// The routine returns nothing and never throws. An existing file is replaced; the page appears
// complete or not at all. Nothing is kept from one call to the next.
#pragma once

#include <cstdint>

extern "C" __attribute__((visibility("default"))) void KELMAR(
    const int32_t* n, const int32_t* nc, const float* x, const float* y, const float* yc,
    const float* c, const float* r, const int32_t* nr, const char* file, int32_t fileLength,
    const char* xName, int32_t xNameLength, const char* yName, int32_t yNameLength);

// The type the application's loader casts the resolved symbol to.
using KelmarFunction = decltype(&KELMAR);
