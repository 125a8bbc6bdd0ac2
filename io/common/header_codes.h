// Header lines travel between the program and the data routines as an int32 array of
// character codes, rows × width, column-major (the row index runs fastest), 0 = no character.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnix::io {

// Writes the first `rows` lines, each cut to `width` characters, into codes[rows × width];
// unused cells get 0.
void headerToCodes(const std::vector<std::string>& lines, int32_t rows, int32_t width,
                   int32_t* codes);

// The first `count` lines held in codes[rows × width]; a line ends at its first 0 and loses
// trailing blanks (the program sends empty cells as blanks).
std::vector<std::string> headerFromCodes(const int32_t* codes, int32_t count, int32_t rows,
                                         int32_t width);

}  // namespace varnix::io
