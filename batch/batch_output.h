// The batch fitter's output: one JSON object per spectrum per line (JSON Lines), or one CSV row
// per spectrum under a header row. Each line stands on its own, so that the outputs of separate
// runs merge by concatenation. Numbers are written in their shortest form that reads back to the
// same double; a value that is not a number, and a standard deviation the fit did not give, are
// null in JSON and empty in CSV.
#pragma once

#include "core/fit/batch_fit.h"

#include <optional>
#include <string>
#include <string_view>

namespace varnix::batch {

// "fitted", "read_failed", "refused", "fit_failed", "write_failed".
std::string_view statusName(app::SpectrumStatus status);

// "r_below_rmin", "r_increased", "delta_r_below_rmin", "maxit"; nothing for None.
std::optional<std::string_view> stopName(app::StopReason reason);

// "varied", "correlated", "fixed".
std::string_view linkName(int32_t link);

// A JSON string literal, quotes included: '"' and '\' escaped, control characters as \n, \t,
// \r, \b, \f or \u00XX; every other byte as it is.
std::string jsonString(std::string_view text);

// The shortest decimal form that reads back as the same double; "null" when not finite.
std::string jsonNumber(double value);

// The spectrum's line, without the line feed.
std::string jsonLine(const app::SpectrumResult& result);

// The CSV header for a configuration: the spectrum's fields, then name, link and sigma of each
// parameter, then area and width of each peak.
std::string csvHeader(const app::Configuration& configuration);

// The spectrum's row under csvHeader of its configuration, without the line feed. A field with a
// comma, a quote or a line break is quoted, quotes doubled.
std::string csvRow(const app::SpectrumResult& result, const app::Configuration& configuration);

}  // namespace varnix::batch
