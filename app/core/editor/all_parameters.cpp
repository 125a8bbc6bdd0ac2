#include "core/editor/all_parameters.h"

#include "core/session/number_format.h"

namespace varnix::app {

namespace {

constexpr std::string_view kHeightFormat = "0.000e+00";
constexpr std::string_view kValueFormat = "0.000";
constexpr std::string_view kCoefficientFormat = "0.000E+00";
constexpr std::string_view kFactorFormat = "0.000";
constexpr std::string_view kNumberFormat = "#";
const std::string kBlank = " ";

std::string factorCell(const ParameterLink& link, int32_t kind)
{
    return link.kind == kind ? formatNumber(link.value, kFactorFormat) : std::string();
}

AllParametersRow peakRow(const Configuration& c, int32_t r)
{
    const ParameterLink& link = c.links[static_cast<std::size_t>(r)];
    const bool height = r % kParametersPerPeak == kHeightSlot;
    AllParametersRow row{
        formatNumber(r + 1, kNumberFormat),
        parameterName(c.nds, r),
        formatNumber(c.p[static_cast<std::size_t>(r)], height ? kHeightFormat : kValueFormat),
        "no",
        kBlank,
        "",
        ""};
    if (link.state != kLinkVaried) {
        row[3] = "yes";
        row[4] = parameterName(c.nds, link.partner);
        row[5] = factorCell(link, kLinkKindMultiplied);
        row[6] = factorCell(link, kLinkKindPlus);
    }
    return row;
}

AllParametersRow coefficientRow(const Configuration& c, int32_t r)
{
    const int32_t n = r - kParametersPerPeak * c.nds;
    return AllParametersRow{formatNumber(r + 1, kNumberFormat),
                            parameterName(c.nds, r),
                            formatNumber(c.a[static_cast<std::size_t>(n)], kCoefficientFormat),
                            "no",
                            kBlank,
                            kBlank,
                            kBlank};
}

}  // namespace

std::vector<AllParametersRow> DrawGrid(const Module1& module)
{
    const Configuration& c = module.configuration;
    const int32_t peakParameters = kParametersPerPeak * c.nds;
    std::vector<AllParametersRow> rows;
    for (int32_t r = 0; r < peakParameters + c.nbg; ++r) {
        rows.push_back(r < peakParameters ? peakRow(c, r) : coefficientRow(c, r));
    }
    return rows;
}

}  // namespace varnix::app
