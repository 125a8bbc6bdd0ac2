// Text helpers shared by the file routines: bounded file reading, line and field splitting,
// number parsing and exact number formatting, and the blank-padded character buffers through
// which the program passes strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnix::io {

// Largest file a routine reads. A million-point spectrum is about 30 MB; anything far larger
// is not a spectrum and must not make a reader allocate without bound.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

// Longest header line the program keeps; longer lines are cut, never split.
inline constexpr std::size_t kHeaderWidth = 100;

// The whole file, or nothing when it cannot be opened, is not a regular file or is larger
// than kMaxFileBytes.
std::optional<std::string> readFile(const std::string& path);

// Lines split at LF, CRLF or a lone CR; the line terminators are not part of the lines.
std::vector<std::string_view> splitLines(std::string_view text);

// The text without leading and trailing blanks, tabs and NUL bytes.
std::string_view trimmed(std::string_view text);

// Fields separated by any run of blanks or tabs, or by single commas or semicolons.
std::vector<std::string_view> splitFields(std::string_view line);

// A whole field as a number: optional sign, digits, decimal point, exponent of any length
// (1E+37, 9.399414e-003, 1.0E+0001); nothing else may follow. Not a number otherwise.
std::optional<double> parseDouble(std::string_view field);
std::optional<int32_t> parseInt(std::string_view field);

// The shortest text that reads back to exactly the same double.
std::string formatDouble(double value);

// A string passed from the program as a character buffer and its length, without trailing
// blanks and NULs.
std::string fromBuffer(const char* buffer, int32_t length);

// Copies text into a character buffer of the given length, padded with blanks and cut if it
// is longer.
void toBuffer(std::string_view text, char* buffer, int32_t length);

}  // namespace varnix::io
