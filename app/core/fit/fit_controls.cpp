#include "core/fit/fit_controls.h"

#include "core/session/number_format.h"

#include <cmath>
#include <limits>

namespace varnix::app {

namespace {

constexpr std::array<FitControlSpec, kFitControlCount> kSpecs = {{
    {"MAXIT", "", true},
    {"RMIN", "0.00E+00", false},
    {"Lambda", "0.000E+00", false},
    {"LambdaFac", "0.0000", false},
    {"Max Lambda Iterations", "###", true},
    {"Simpson EPS", "0.000E+00", false},
    {"Max Simpson Iterations", "###", true},
    {"Integration Range", "0.000", false},
}};

constexpr std::string_view kNotChanged = " - value not changed";

std::size_t indexOf(FitControlField field)
{
    return static_cast<std::size_t>(field);
}

bool wholeInt32(double value)
{
    return std::floor(value) == value &&
           value >= static_cast<double>(std::numeric_limits<int32_t>::min()) &&
           value <= static_cast<double>(std::numeric_limits<int32_t>::max());
}

std::string refusal(FitControlField field, std::string_view range)
{
    return std::string(fitControlSpec(field).label).append(range).append(kNotChanged);
}

}  // namespace

const FitControlSpec& fitControlSpec(FitControlField field)
{
    return kSpecs.at(indexOf(field));
}

double fitControlValue(const FitControls& c, FitControlField field)
{
    switch (field) {
        case FitControlField::Maxit:
            return c.maxit;
        case FitControlField::Rmin:
            return c.rmin;
        case FitControlField::Lambda:
            return c.lambda;
        case FitControlField::LambdaFac:
            return c.lambdaFac;
        case FitControlField::MaxLambdaIterations:
            return c.maxLambdaIterations;
        case FitControlField::SimpsonEps:
            return c.simpsonEps;
        case FitControlField::MaxSimpsonIterations:
            return c.maxSimpsonIterations;
        case FitControlField::IntegrationRange:
            return c.integrationRange;
    }
    return 0.0;
}

void setFitControl(FitControls& c, FitControlField field, double value)
{
    const auto whole = static_cast<int32_t>(value);
    switch (field) {
        case FitControlField::Maxit:
            c.maxit = whole;
            break;
        case FitControlField::Rmin:
            c.rmin = value;
            break;
        case FitControlField::Lambda:
            c.lambda = value;
            break;
        case FitControlField::LambdaFac:
            c.lambdaFac = value;
            break;
        case FitControlField::MaxLambdaIterations:
            c.maxLambdaIterations = whole;
            break;
        case FitControlField::SimpsonEps:
            c.simpsonEps = value;
            break;
        case FitControlField::MaxSimpsonIterations:
            c.maxSimpsonIterations = whole;
            break;
        case FitControlField::IntegrationRange:
            c.integrationRange = value;
            break;
    }
}

std::string fitControlText(const FitControls& controls, FitControlField field)
{
    return formatNumber(fitControlValue(controls, field), fitControlSpec(field).format);
}

std::optional<double> convertFitControlText(FitControlField field, std::string_view text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || (fitControlSpec(field).integer && !wholeInt32(*value))) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> fitControlLimitMessage(FitControlField field, double value)
{
    switch (field) {
        case FitControlField::Maxit:
            if (value < 0) {
                return refusal(field, " must be a whole number of 0 or more");
            }
            break;
        case FitControlField::MaxSimpsonIterations:
            if (value < kMinSimpsonIterations || value > kMaxSimpsonIterations) {
                return refusal(field, " must be a whole number from " +
                                          std::to_string(kMinSimpsonIterations) + " to " +
                                          std::to_string(kMaxSimpsonIterations));
            }
            break;
        case FitControlField::SimpsonEps:
            if (!(value > 0)) {
                return refusal(field, " must be greater than 0");
            }
            break;
        case FitControlField::LambdaFac:
            if (!(value > 1)) {
                return refusal(field, " must be greater than 1");
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::optional<FitControlField> firstFieldOutOfLimits(const FitControls& controls)
{
    for (std::size_t i = 0; i < kFitControlCount; ++i) {
        const auto field = static_cast<FitControlField>(i);
        if (fitControlLimitMessage(field, fitControlValue(controls, field))) {
            return field;
        }
    }
    return std::nullopt;
}

}  // namespace varnix::app
